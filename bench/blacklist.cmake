# ---- IP blacklist at scale through agent_host (bench_blacklist) ----
# Needs the blacklist plug-in; runs agent_host in namespaces of its own.
if(TARGET ip_blacklist_linux)
  add_executable(bench_blacklist
    ${CMAKE_CURRENT_SOURCE_DIR}/bench_blacklist.cpp
    ${PROJECT_SOURCE_DIR}/test_support/CHostProcess.cpp
    ${PROJECT_SOURCE_DIR}/test_support/TempDir.cpp)
  target_link_libraries(bench_blacklist PRIVATE agent_settings console_core base_linux)
  target_compile_definitions(bench_blacklist PRIVATE
    AGENT_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
    AGENT_LIB_DIR="${CMAKE_LIBRARY_OUTPUT_DIRECTORY}")
  add_dependencies(bench_blacklist agent_host ip_blacklist_linux)
endif()
# ---- end of bench_blacklist ----
