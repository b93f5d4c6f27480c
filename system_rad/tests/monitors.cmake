# The per-resource monitors against fixture files.
agent_test(NAME system_rad_monitors_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/monitors_test.cpp
  LIBS system_rad
  LABELS "unit;threaded")
target_compile_definitions(system_rad_monitors_test PRIVATE
  SYSTEM_RAD_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures")
