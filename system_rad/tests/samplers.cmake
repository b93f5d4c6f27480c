# The samplers against fixture files, and once against the live system.
agent_test(NAME system_rad_samplers_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/samplers_cpu_mem_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/samplers_disk_net_test.cpp
  LIBS system_rad
  LABELS "unit")
target_compile_definitions(system_rad_samplers_test PRIVATE
  SYSTEM_RAD_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures")

# Reads the real /proc, /etc/mtab and interfaces of the machine it runs on.
agent_test(NAME system_rad_samplers_live_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/samplers_live_test.cpp
  LIBS system_rad
  LABELS "integration")
