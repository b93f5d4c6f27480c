#include "utility/CppSQLite3DB.h"

#include <sqlite3.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "utility/CppSQLite3Exception.h"

namespace {

const char kNotOpen[] = "Database not open";
const char kNullVM[] = "Null Virtual Machine pointer";
const char kBadScalar[] = "Invalid scalar query";
const char kNoFileName[] = "No database file name";
const char kBindString[] = "Error binding string param";
const char kTableExistsSql[] = "select count(*) from sqlite_master where type='table' and name=?";

// Reads `text` as a decimal integer the way atoi does (leading blanks and
// sign, digits up to the first other character), kept within int.
int decimal_value(const char* text) {
  long long value = std::strtoll(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

CppSQLite3DB::CppSQLite3DB() : db_(nullptr), busy_timeout_ms_(kDefaultBusyTimeoutMs) {}

CppSQLite3DB::~CppSQLite3DB() { release(); }

void CppSQLite3DB::open(const char* file) {
  if (file == nullptr) throw CppSQLite3Exception(CPPSQLITE_ERROR, kNoFileName);
  release();
  int rc = sqlite3_open(file, &db_);
  if (rc != SQLITE_OK) {
    std::string error = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw CppSQLite3Exception(rc, error.c_str());
  }
  sqlite3_busy_timeout(db_, busy_timeout_ms_);
}

int CppSQLite3DB::close() {
  if (db_ == nullptr) return 0;
  int rc = sqlite3_close(db_);
  if (rc == SQLITE_OK) db_ = nullptr;
  return rc;
}

void CppSQLite3DB::release() noexcept {
  if (db_ == nullptr) return;
  if (sqlite3_close(db_) != SQLITE_OK) sqlite3_close_v2(db_);
  db_ = nullptr;
}

void CppSQLite3DB::setBusyTimeout(int milliseconds) {
  busy_timeout_ms_ = milliseconds;
  if (db_ != nullptr) sqlite3_busy_timeout(db_, busy_timeout_ms_);
}

bool CppSQLite3DB::tableExists(const char* table) {
  checkDB();
  sqlite3_stmt* stmt = prepare(kTableExistsSql, false);
  int rc = sqlite3_bind_text(stmt, 1, table, -1, SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt);
    throw CppSQLite3Exception(rc, kBindString);
  }
  CppSQLite3Query query = startQuery(stmt);
  return scalarOf(query) > 0;
}

int CppSQLite3DB::execDML(const char* sql) {
  checkDB();
  int total_before = sqlite3_total_changes(db_);
  char* error = nullptr;
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string detail = error != nullptr ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    throw CppSQLite3Exception(rc, detail.c_str());
  }
  // A run that changed no row reports 0, not the count left over from an
  // earlier statement of the connection.
  return sqlite3_total_changes(db_) == total_before ? 0 : sqlite3_changes(db_);
}

int CppSQLite3DB::execScalar(const char* sql) {
  CppSQLite3Query query = execQuery(sql);
  return scalarOf(query);
}

CppSQLite3Query CppSQLite3DB::execQuery(const char* sql) {
  checkDB();
  return startQuery(prepare(sql, false));
}

CppSQLite3Statement CppSQLite3DB::compileStatement(const char* sql) {
  checkDB();
  return CppSQLite3Statement(db_, prepare(sql, true));
}

void CppSQLite3DB::checkDB() const {
  if (db_ == nullptr) throw CppSQLite3Exception(CPPSQLITE_ERROR, kNotOpen);
}

sqlite3_stmt* CppSQLite3DB::prepare(const char* sql, bool with_detail) const {
  if (sql == nullptr) throw CppSQLite3Exception(SQLITE_MISUSE, "");
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr);
  if (rc != SQLITE_OK) {
    throw CppSQLite3Exception(rc, with_detail ? sqlite3_errmsg(db_) : "");
  }
  if (stmt == nullptr) throw CppSQLite3Exception(CPPSQLITE_ERROR, kNullVM);
  return stmt;
}

CppSQLite3Query CppSQLite3DB::startQuery(sqlite3_stmt* stmt) const {
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
    return CppSQLite3Query(db_, stmt, rc == SQLITE_DONE, true);
  }
  rc = sqlite3_finalize(stmt);
  throw CppSQLite3Exception(rc, sqlite3_errmsg(db_));
}

int CppSQLite3DB::scalarOf(CppSQLite3Query& query) {
  if (query.eof() || query.numFields() < 1) {
    throw CppSQLite3Exception(CPPSQLITE_ERROR, kBadScalar);
  }
  return decimal_value(query.getStringField(0, ""));
}
