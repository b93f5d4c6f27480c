# ---- resource samplers benchmark (bench_samplers) ----
add_executable(bench_samplers ${CMAKE_CURRENT_LIST_DIR}/bench_samplers.cpp)
target_link_libraries(bench_samplers PRIVATE agent_settings system_rad)
# ---- end of bench_samplers ----
