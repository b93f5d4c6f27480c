// The SQLite access wrapper: include this to get the connection, query,
// statement and exception classes.
#ifndef UTILITY_CPPSQLITE3_H_
#define UTILITY_CPPSQLITE3_H_

#include "utility/CppSQLite3DB.h"
#include "utility/CppSQLite3Exception.h"
#include "utility/CppSQLite3Query.h"
#include "utility/CppSQLite3Statement.h"

#endif  // UTILITY_CPPSQLITE3_H_
