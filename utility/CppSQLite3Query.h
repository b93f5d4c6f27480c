// The cursor of one executed query (CppSQLite3DB::execQuery), positioned on
// its current row until eof() says the rows are used up.
//
// Ownership: a query finalizes the statement it owns when it is finalized,
// destroyed or assigned over; it can be moved but not copied. A moved-from
// or finalized query has no statement, and then every call, finalize
// included, throws (CPPSQLITE_ERROR, "Null Virtual Machine pointer").
// A failing nextRow finalizes the statement before it throws.
//
// Thread safety: none; use a query, its database and the database's other
// queries and statements from one thread at a time.
#ifndef UTILITY_CPPSQLITE3QUERY_H_
#define UTILITY_CPPSQLITE3QUERY_H_

struct sqlite3;
struct sqlite3_stmt;

class CppSQLite3Query {
 public:
  // A query without a statement.
  CppSQLite3Query();
  CppSQLite3Query(CppSQLite3Query&& other) noexcept;
  CppSQLite3Query& operator=(CppSQLite3Query&& other) noexcept;
  CppSQLite3Query(const CppSQLite3Query&) = delete;
  CppSQLite3Query& operator=(const CppSQLite3Query&) = delete;
  // Finalizes the statement; a failure is swallowed.
  virtual ~CppSQLite3Query();

  bool eof();
  // Steps to the next row, or sets eof() when there is none. At the end
  // already, it stays there.
  void nextRow();
  int numFields();

  // The value of the current row's column named `field` (exact,
  // case-sensitive; the first one of that name). A column that does not
  // exist throws (CPPSQLITE_ERROR, "Invalid field name requested"). A NULL
  // value, or no current row, gives the default. The text returned lives
  // until the next nextRow or finalize.
  const char* getStringField(const char* field, const char* null_value = "");
  int getIntField(const char* field, int null_value = 0);
  // The same by 0-based column index; an index outside the result throws
  // (CPPSQLITE_ERROR, "Invalid field index requested").
  const char* getStringField(int field, const char* null_value = "");
  int getIntField(int field, int null_value = 0);

  // Releases the statement (when owned) and clears the handle; throws
  // SQLite's code with the connection's error text when SQLite reports a
  // failure.
  void finalize();

 private:
  friend class CppSQLite3DB;
  CppSQLite3Query(sqlite3* db, sqlite3_stmt* stmt, bool eof, bool owns_stmt);

  void checkVM() const;
  int fieldIndex(const char* field) const;
  // True when column `field` (checked) has no value to read.
  bool fieldIsNull(int field) const;
  void releaseQuietly() noexcept;

  sqlite3* db_;
  sqlite3_stmt* stmt_;
  bool eof_;
  int num_fields_;
  bool owns_stmt_;
};

#endif  // UTILITY_CPPSQLITE3QUERY_H_
