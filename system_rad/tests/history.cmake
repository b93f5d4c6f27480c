agent_test(NAME system_rad_history_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CSystemRadData_test.cpp
  LIBS system_rad
  LABELS "unit;threaded")
agent_gbk_texts(system_rad_history_test)
