# The monitoring settings, tested on copies of the shipped settings file.
agent_test(NAME system_rad_config_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CSystemRADConfig_test.cpp
  LIBS system_rad
  LABELS "unit;threaded")
target_compile_definitions(system_rad_config_test PRIVATE
  AGENT_DIST_DIR="${PROJECT_SOURCE_DIR}/dist")
