# SQLite access wrapper and the interruptible sleep (header only).
target_sources(utility PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CppSQLite3DB.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CppSQLite3Exception.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CppSQLite3Query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CppSQLite3Statement.cpp
)
target_link_libraries(utility PUBLIC SQLite::SQLite3)
