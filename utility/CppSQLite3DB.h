// One SQLite connection. Every failure is thrown as CppSQLite3Exception;
// every operation on a closed connection throws (CPPSQLITE_ERROR,
// "Database not open").
//
// Ownership: the connection is closed by close() or the destructor. Queries
// and statements made from it should go first; if some are still alive when
// the connection is destroyed or reopened, SQLite releases the connection
// once the last of them is finalized.
//
// Thread safety: none; use a connection, its queries and its statements from
// one thread at a time (callers hold their own lock).
#ifndef UTILITY_CPPSQLITE3DB_H_
#define UTILITY_CPPSQLITE3DB_H_

#include "utility/CppSQLite3Query.h"
#include "utility/CppSQLite3Statement.h"

struct sqlite3;
struct sqlite3_stmt;

class CppSQLite3DB {
 public:
  static constexpr int kDefaultBusyTimeoutMs = 60000;

  CppSQLite3DB();
  CppSQLite3DB(const CppSQLite3DB&) = delete;
  CppSQLite3DB& operator=(const CppSQLite3DB&) = delete;
  // Closes the connection.
  virtual ~CppSQLite3DB();

  // Opens the database file `file`, creating it when missing, and applies
  // the busy time-out. A connection that was open is closed first. A file
  // that is not a database opens; the first statement then throws.
  void open(const char* file);
  // Closes the connection if one is open. Returns SQLite's result (the
  // connection stays open when it is not SQLITE_OK, e.g. SQLITE_BUSY while
  // statements are alive), or 0 when already closed.
  int close();

  // Milliseconds a statement waits for another connection's lock before it
  // fails with SQLITE_BUSY; kept for later opens, applied at once when open.
  void setBusyTimeout(int milliseconds);

  // Whether a table of that exact name exists. The name is passed to SQLite
  // as a value, never as SQL text.
  bool tableExists(const char* table);

  // Runs one or more statements; returns the number of rows they changed
  // (0 when they changed none). Failures throw SQLite's code and error text.
  int execDML(const char* sql);

  // The first column of the first row read as a decimal integer (NULL reads
  // as 0). A result without rows or columns throws (CPPSQLITE_ERROR,
  // "Invalid scalar query").
  int execScalar(const char* sql);

  // Runs a query and returns its cursor on the first row. A statement that
  // does not compile throws SQLite's code with an empty detail; an SQL text
  // holding no statement (empty, blanks, comments) throws (CPPSQLITE_ERROR,
  // "Null Virtual Machine pointer"); a failing first step throws SQLite's
  // code with the connection's error text. Nothing is left behind.
  CppSQLite3Query execQuery(const char* sql);

  // Compiles one statement for binding and repeated runs. Failures as for
  // execQuery, except that a compile failure carries SQLite's error text.
  CppSQLite3Statement compileStatement(const char* sql);

 private:
  void checkDB() const;
  // Compiles `sql`; never returns null.
  sqlite3_stmt* prepare(const char* sql, bool with_detail) const;
  // Takes `stmt` over and steps it once.
  CppSQLite3Query startQuery(sqlite3_stmt* stmt) const;
  static int scalarOf(CppSQLite3Query& query);
  // Closes the connection even with statements alive.
  void release() noexcept;

  sqlite3* db_;
  int busy_timeout_ms_;
};

#endif  // UTILITY_CPPSQLITE3DB_H_
