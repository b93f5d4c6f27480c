#include "utility/CppSQLite3Exception.h"

namespace {

// Indexed by the SQLite result codes 0 to 25.
const char* const kCodeNames[] = {
    "SQLITE_OK",       "SQLITE_ERROR",   "SQLITE_INTERNAL", "SQLITE_PERM",     "SQLITE_ABORT",
    "SQLITE_BUSY",     "SQLITE_LOCKED",  "SQLITE_NOMEM",    "SQLITE_READONLY", "SQLITE_INTERRUPT",
    "SQLITE_IOERR",    "SQLITE_CORRUPT", "SQLITE_NOTFOUND", "SQLITE_FULL",     "SQLITE_CANTOPEN",
    "SQLITE_PROTOCOL", "SQLITE_EMPTY",   "SQLITE_SCHEMA",   "SQLITE_TOOBIG",   "SQLITE_CONSTRAINT",
    "SQLITE_MISMATCH", "SQLITE_MISUSE",  "SQLITE_NOLFS",    "SQLITE_AUTH",     "SQLITE_FORMAT",
    "SQLITE_RANGE",
};
const int kCodeNameCount = sizeof kCodeNames / sizeof kCodeNames[0];

const int kRow = 100;
const int kDone = 101;

}  // namespace

CppSQLite3Exception::CppSQLite3Exception(int code, const char* detail) : code_(code) {
  message_ = errorCodeAsString(code);
  message_ += "[" + std::to_string(code) + "]: ";
  if (detail != nullptr) message_ += detail;
}

const char* CppSQLite3Exception::errorCodeAsString(int code) {
  if (code >= 0 && code < kCodeNameCount) return kCodeNames[code];
  if (code == kRow) return "SQLITE_ROW";
  if (code == kDone) return "SQLITE_DONE";
  if (code == CPPSQLITE_ERROR) return "CPPSQLITE_ERROR";
  return "UNKNOWN_ERROR";
}
