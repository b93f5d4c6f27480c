# ---- monitoring settings benchmark (bench_rad_config) ----
if(TARGET system_rad)
  add_executable(bench_rad_config
    ${CMAKE_CURRENT_LIST_DIR}/bench_rad_config.cpp
    ${PROJECT_SOURCE_DIR}/test_support/TempDir.cpp)
  target_link_libraries(bench_rad_config PRIVATE agent_settings system_rad)
  target_compile_definitions(bench_rad_config PRIVATE AGENT_DIST_DIR="${PROJECT_SOURCE_DIR}/dist")
endif()
# ---- end of bench_rad_config ----
