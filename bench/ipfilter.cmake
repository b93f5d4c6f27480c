# ---- packet-filter library benchmark (bench_ipfilter) ----
# The kernel part runs in a child with a network namespace of its own.
if(TARGET ipfilter_core)
  add_executable(bench_ipfilter ${CMAKE_CURRENT_LIST_DIR}/bench_ipfilter.cpp)
  target_link_libraries(bench_ipfilter PRIVATE agent_settings ipfilter_core utility base_linux)
endif()
# ---- end of bench_ipfilter ----
