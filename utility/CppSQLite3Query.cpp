#include "utility/CppSQLite3Query.h"

#include <sqlite3.h>

#include <cstring>
#include <utility>

#include "utility/CppSQLite3Exception.h"

namespace {

const char kNullVM[] = "Null Virtual Machine pointer";
const char kBadFieldName[] = "Invalid field name requested";
const char kBadFieldIndex[] = "Invalid field index requested";

}  // namespace

CppSQLite3Query::CppSQLite3Query()
    : db_(nullptr), stmt_(nullptr), eof_(true), num_fields_(0), owns_stmt_(false) {}

CppSQLite3Query::CppSQLite3Query(sqlite3* db, sqlite3_stmt* stmt, bool eof, bool owns_stmt)
    : db_(db),
      stmt_(stmt),
      eof_(eof),
      num_fields_(sqlite3_column_count(stmt)),
      owns_stmt_(owns_stmt) {}

CppSQLite3Query::CppSQLite3Query(CppSQLite3Query&& other) noexcept
    : db_(other.db_),
      stmt_(std::exchange(other.stmt_, nullptr)),
      eof_(other.eof_),
      num_fields_(other.num_fields_),
      owns_stmt_(other.owns_stmt_) {}

CppSQLite3Query& CppSQLite3Query::operator=(CppSQLite3Query&& other) noexcept {
  if (this != &other) {
    releaseQuietly();
    db_ = other.db_;
    stmt_ = std::exchange(other.stmt_, nullptr);
    eof_ = other.eof_;
    num_fields_ = other.num_fields_;
    owns_stmt_ = other.owns_stmt_;
  }
  return *this;
}

CppSQLite3Query::~CppSQLite3Query() { releaseQuietly(); }

void CppSQLite3Query::releaseQuietly() noexcept {
  if (stmt_ == nullptr) return;
  try {
    finalize();
  } catch (const CppSQLite3Exception&) {
  }
}

bool CppSQLite3Query::eof() {
  checkVM();
  return eof_;
}

void CppSQLite3Query::nextRow() {
  checkVM();
  if (eof_) return;  // stepping on would start the query over
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_DONE) {
    eof_ = true;
  } else if (rc != SQLITE_ROW) {
    releaseQuietly();
    throw CppSQLite3Exception(rc, sqlite3_errmsg(db_));
  }
}

int CppSQLite3Query::numFields() {
  checkVM();
  return num_fields_;
}

const char* CppSQLite3Query::getStringField(const char* field, const char* null_value) {
  checkVM();
  return getStringField(fieldIndex(field), null_value);
}

int CppSQLite3Query::getIntField(const char* field, int null_value) {
  checkVM();
  return getIntField(fieldIndex(field), null_value);
}

const char* CppSQLite3Query::getStringField(int field, const char* null_value) {
  checkVM();
  if (fieldIsNull(field)) return null_value;
  const unsigned char* text = sqlite3_column_text(stmt_, field);
  return text != nullptr ? reinterpret_cast<const char*>(text) : null_value;  // null: out of memory
}

int CppSQLite3Query::getIntField(int field, int null_value) {
  checkVM();
  if (fieldIsNull(field)) return null_value;
  return sqlite3_column_int(stmt_, field);
}

void CppSQLite3Query::finalize() {
  checkVM();
  sqlite3_stmt* stmt = std::exchange(stmt_, nullptr);
  if (!owns_stmt_) return;
  int rc = sqlite3_finalize(stmt);
  if (rc != SQLITE_OK) throw CppSQLite3Exception(rc, sqlite3_errmsg(db_));
}

void CppSQLite3Query::checkVM() const {
  if (stmt_ == nullptr) throw CppSQLite3Exception(CPPSQLITE_ERROR, kNullVM);
}

int CppSQLite3Query::fieldIndex(const char* field) const {
  if (field != nullptr) {
    for (int i = 0; i < num_fields_; ++i) {
      const char* name = sqlite3_column_name(stmt_, i);
      if (name != nullptr && std::strcmp(name, field) == 0) return i;
    }
  }
  throw CppSQLite3Exception(CPPSQLITE_ERROR, kBadFieldName);
}

bool CppSQLite3Query::fieldIsNull(int field) const {
  if (field < 0 || field >= num_fields_) {
    throw CppSQLite3Exception(CPPSQLITE_ERROR, kBadFieldIndex);
  }
  return eof_ || sqlite3_column_type(stmt_, field) == SQLITE_NULL;
}
