# ---- history store benchmark (bench_history) ----
if(TARGET system_rad)
  add_executable(bench_history
    ${CMAKE_CURRENT_LIST_DIR}/bench_history.cpp
    ${PROJECT_SOURCE_DIR}/test_support/TempDir.cpp)
  target_link_libraries(bench_history PRIVATE agent_settings system_rad base_linux)
endif()
# ---- end of bench_history ----
