# ---- XML helper benchmark (bench_xml) ----
add_executable(bench_xml
  ${CMAKE_CURRENT_LIST_DIR}/bench_xml.cpp
  ${PROJECT_SOURCE_DIR}/test_support/TempDir.cpp)
target_link_libraries(bench_xml PRIVATE agent_settings utility)
target_compile_definitions(bench_xml PRIVATE AGENT_DIST_DIR="${PROJECT_SOURCE_DIR}/dist")
# ---- end of bench_xml ----
