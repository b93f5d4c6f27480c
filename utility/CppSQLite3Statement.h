// One prepared statement (CppSQLite3DB::compileStatement): bind its
// parameters, run it with execDML, bind again and run again.
//
// Ownership: the statement is finalized when the object is finalized,
// destroyed or assigned over; it can be moved but not copied. A moved-from
// or finalized statement has no handle, and then every call, finalize
// included, throws (CPPSQLITE_ERROR, "Null Virtual Machine pointer").
//
// Thread safety: none; use a statement and its database from one thread at
// a time.
#ifndef UTILITY_CPPSQLITE3STATEMENT_H_
#define UTILITY_CPPSQLITE3STATEMENT_H_

struct sqlite3;
struct sqlite3_stmt;

class CppSQLite3Statement {
 public:
  // A statement without a handle.
  CppSQLite3Statement();
  CppSQLite3Statement(CppSQLite3Statement&& other) noexcept;
  CppSQLite3Statement& operator=(CppSQLite3Statement&& other) noexcept;
  CppSQLite3Statement(const CppSQLite3Statement&) = delete;
  CppSQLite3Statement& operator=(const CppSQLite3Statement&) = delete;
  // Finalizes the statement; a failure is swallowed.
  virtual ~CppSQLite3Statement();

  // Binds parameter `param` (1-based). The text is copied at the call; a
  // null text binds NULL. Failures throw SQLite's code with "Error binding
  // string param" or "Error binding int param".
  void bind(int param, const char* value);
  void bind(int param, int value);

  // Runs the statement to its end and resets it for the next run (the
  // bound values stay). Returns the number of rows it changed. A failing
  // run resets the statement and throws SQLite's code with the
  // connection's error text.
  int execDML();

  // Make the statement ready to run again / release it; both throw
  // SQLite's code with the connection's error text when SQLite fails.
  void reset();
  void finalize();

 private:
  friend class CppSQLite3DB;
  CppSQLite3Statement(sqlite3* db, sqlite3_stmt* stmt);

  void checkVM() const;
  void releaseQuietly() noexcept;

  sqlite3* db_;
  sqlite3_stmt* stmt_;
};

#endif  // UTILITY_CPPSQLITE3STATEMENT_H_
