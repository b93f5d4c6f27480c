# ---- text helpers benchmark (bench_text) ----
add_executable(bench_text
  ${CMAKE_CURRENT_LIST_DIR}/bench_text.cpp
  ${PROJECT_SOURCE_DIR}/test_support/TempDir.cpp)
target_link_libraries(bench_text PRIVATE agent_settings utility)
# ---- end of bench_text ----
