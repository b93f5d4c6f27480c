agent_test(NAME utility_sqlite_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ConditionSleep_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CppSQLite3_test.cpp
  LIBS utility
  LABELS "unit;threaded")
