# ---- codec benchmark (bench_codec) ----
add_executable(bench_codec ${CMAKE_CURRENT_LIST_DIR}/bench_codec.cpp)
target_link_libraries(bench_codec PRIVATE agent_settings base_linux)
# ---- end of bench_codec ----
