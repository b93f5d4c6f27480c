agent_test(NAME system_rad_detectors_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/detectors_test.cpp
  LIBS system_rad
  LABELS "unit;threaded")
