# ---- agentctl / host round trip and memory benchmarks (bench_rpc, bench_rss) ----
# Both start the real agent_host; bench_rpc also needs the test plug-in,
# which exists when the tests are built.
set(agent_host_bench_paths
  AGENT_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
  AGENT_LIB_DIR="${CMAKE_LIBRARY_OUTPUT_DIRECTORY}")
set(agent_host_bench_support
  ${PROJECT_SOURCE_DIR}/test_support/CHostProcess.cpp
  ${PROJECT_SOURCE_DIR}/test_support/TempDir.cpp)

add_executable(bench_rss ${CMAKE_CURRENT_SOURCE_DIR}/bench_rss.cpp ${agent_host_bench_support})
target_link_libraries(bench_rss PRIVATE agent_settings)
target_compile_definitions(bench_rss PRIVATE ${agent_host_bench_paths})
add_dependencies(bench_rss agent_host)

if(TARGET test_iface_linux)
  add_executable(bench_rpc
    ${CMAKE_CURRENT_SOURCE_DIR}/bench_rpc.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/CRawEchoServer.cpp
    ${agent_host_bench_support})
  target_link_libraries(bench_rpc PRIVATE agent_settings frame base_linux Threads::Threads)
  target_compile_definitions(bench_rpc PRIVATE ${agent_host_bench_paths})
  add_dependencies(bench_rpc agent_host test_iface_linux)
endif()
# ---- end of bench_rpc / bench_rss ----
