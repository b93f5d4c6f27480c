#include "utility/CppSQLite3Statement.h"

#include <sqlite3.h>

#include <string>
#include <utility>

#include "utility/CppSQLite3Exception.h"

namespace {

const char kNullVM[] = "Null Virtual Machine pointer";
const char kBindString[] = "Error binding string param";
const char kBindInt[] = "Error binding int param";

}  // namespace

CppSQLite3Statement::CppSQLite3Statement() : db_(nullptr), stmt_(nullptr) {}

CppSQLite3Statement::CppSQLite3Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}

CppSQLite3Statement::CppSQLite3Statement(CppSQLite3Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)) {}

CppSQLite3Statement& CppSQLite3Statement::operator=(CppSQLite3Statement&& other) noexcept {
  if (this != &other) {
    releaseQuietly();
    db_ = other.db_;
    stmt_ = std::exchange(other.stmt_, nullptr);
  }
  return *this;
}

CppSQLite3Statement::~CppSQLite3Statement() { releaseQuietly(); }

void CppSQLite3Statement::releaseQuietly() noexcept {
  if (stmt_ == nullptr) return;
  try {
    finalize();
  } catch (const CppSQLite3Exception&) {
  }
}

void CppSQLite3Statement::bind(int param, const char* value) {
  checkVM();
  int rc = sqlite3_bind_text(stmt_, param, value, -1, SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) throw CppSQLite3Exception(rc, kBindString);
}

void CppSQLite3Statement::bind(int param, int value) {
  checkVM();
  int rc = sqlite3_bind_int(stmt_, param, value);
  if (rc != SQLITE_OK) throw CppSQLite3Exception(rc, kBindInt);
}

int CppSQLite3Statement::execDML() {
  checkVM();
  // A run that changed no row reports 0, not the count left over from an
  // earlier statement of the connection.
  int total_before = sqlite3_total_changes(db_);
  int rc = sqlite3_step(stmt_);
  if (rc != SQLITE_DONE) {
    std::string error = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    throw CppSQLite3Exception(rc, error.c_str());
  }
  int changes = sqlite3_total_changes(db_) == total_before ? 0 : sqlite3_changes(db_);
  reset();
  return changes;
}

void CppSQLite3Statement::reset() {
  checkVM();
  int rc = sqlite3_reset(stmt_);
  if (rc != SQLITE_OK) throw CppSQLite3Exception(rc, sqlite3_errmsg(db_));
}

void CppSQLite3Statement::finalize() {
  checkVM();
  int rc = sqlite3_finalize(std::exchange(stmt_, nullptr));
  if (rc != SQLITE_OK) throw CppSQLite3Exception(rc, sqlite3_errmsg(db_));
}

void CppSQLite3Statement::checkVM() const {
  if (stmt_ == nullptr) throw CppSQLite3Exception(CPPSQLITE_ERROR, kNullVM);
}
