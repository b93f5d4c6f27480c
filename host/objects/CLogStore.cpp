#include "host/objects/CLogStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "frame/fwbase.h"

namespace host {
namespace {

const int kBusyTimeoutMs = 2000;

const char kCreateTable[] =
    "CREATE TABLE IF NOT EXISTS anomaly_log ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " source BLOB NOT NULL,"
    " time_text BLOB NOT NULL,"
    " field3 INTEGER NOT NULL,"
    " log_type INTEGER NOT NULL,"
    " field5 INTEGER NOT NULL,"
    " limit_value INTEGER NOT NULL,"
    " value INTEGER NOT NULL,"
    " content BLOB NOT NULL,"
    " report_time INTEGER NOT NULL)";
const char kInsert[] =
    "INSERT INTO anomaly_log (source, time_text, field3, log_type, field5, limit_value, value,"
    " content, report_time) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
const char kPrune[] = "DELETE FROM anomaly_log WHERE id <= ?1";
const char kSelectNewest[] =
    "SELECT id, source, time_text, field3, log_type, field5, limit_value, value, content,"
    " report_time FROM anomaly_log ORDER BY id DESC LIMIT ?1";

int bind_text(sqlite3_stmt* statement, int index, const std::string& text) {
  return sqlite3_bind_blob(statement, index, text.data(), static_cast<int>(text.size()),
                           SQLITE_TRANSIENT);
}

std::string column_bytes(sqlite3_stmt* statement, int index) {
  const void* bytes = sqlite3_column_blob(statement, index);
  int size = sqlite3_column_bytes(statement, index);
  if (bytes == nullptr || size <= 0) return std::string();
  return std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

StoredLogRecord read_row(sqlite3_stmt* row) {
  StoredLogRecord record;
  record.id = sqlite3_column_int64(row, 0);
  record.log.source = column_bytes(row, 1);
  record.log.time_text = column_bytes(row, 2);
  record.log.reserved_3 = static_cast<std::uint32_t>(sqlite3_column_int64(row, 3));
  record.log.log_type = sqlite3_column_int(row, 4);
  record.log.reserved_5 = static_cast<std::uint32_t>(sqlite3_column_int64(row, 5));
  record.log.limit = sqlite3_column_int(row, 6);
  record.log.value = sqlite3_column_int(row, 7);
  record.log.content = column_bytes(row, 8);
  record.log.report_time = static_cast<std::time_t>(sqlite3_column_int64(row, 9));
  return record;
}

// Creates the database file readable by root only before SQLite opens it,
// since the records describe the machine's state.
bool create_private_file(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

const char CLogStore::kRelativePath[] = "runlog/agent_logs.db";

CLogStore::CLogStore(std::string db_path, std::int64_t max_records)
    : db_path_(std::move(db_path)), max_records_(max_records) {}

CLogStore::~CLogStore() { close_locked(); }

void CLogStore::close_locked() {
  sqlite3_finalize(insert_);
  sqlite3_finalize(prune_);
  sqlite3_close(db_);
  insert_ = nullptr;
  prune_ = nullptr;
  db_ = nullptr;
}

bool CLogStore::open_locked() {
  if (db_ != nullptr) return true;
  if (!create_private_file(db_path_)) {
    FW_LOG_FAILURE(this, ("无法创建日志数据库: " + db_path_).c_str());
    return false;
  }
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
  bool ok = sqlite3_open_v2(db_path_.c_str(), &db_, flags, nullptr) == SQLITE_OK &&
            sqlite3_busy_timeout(db_, kBusyTimeoutMs) == SQLITE_OK &&
            sqlite3_exec(db_, kCreateTable, nullptr, nullptr, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(db_, kInsert, -1, &insert_, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(db_, kPrune, -1, &prune_, nullptr) == SQLITE_OK;
  if (!ok) {
    std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    FW_LOG_FAILURE(this, ("无法打开日志数据库: " + db_path_ + ": " + reason).c_str());
    close_locked();
  }
  return ok;
}

bool CLogStore::bind_and_insert_locked(const SystemRadLog& log) {
  sqlite3_reset(insert_);
  sqlite3_clear_bindings(insert_);
  bool ok = bind_text(insert_, 1, log.source) == SQLITE_OK &&
            bind_text(insert_, 2, log.time_text) == SQLITE_OK &&
            sqlite3_bind_int64(insert_, 3, log.reserved_3) == SQLITE_OK &&
            sqlite3_bind_int(insert_, 4, log.log_type) == SQLITE_OK &&
            sqlite3_bind_int64(insert_, 5, log.reserved_5) == SQLITE_OK &&
            sqlite3_bind_int(insert_, 6, log.limit) == SQLITE_OK &&
            sqlite3_bind_int(insert_, 7, log.value) == SQLITE_OK &&
            bind_text(insert_, 8, log.content) == SQLITE_OK &&
            sqlite3_bind_int64(insert_, 9, static_cast<sqlite3_int64>(log.report_time)) ==
                SQLITE_OK &&
            sqlite3_step(insert_) == SQLITE_DONE;
  sqlite3_reset(insert_);
  return ok;
}

ec::EC CLogStore::append(const SystemRadLog& log) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_locked()) return ec::kHostObjStorage;
  if (!bind_and_insert_locked(log)) {
    FW_LOG_FAILURE(this, ("写入日志记录失败: " + db_path_ + ": " + sqlite3_errmsg(db_)).c_str());
    // A database replaced or damaged underneath is opened afresh next time.
    close_locked();
    return ec::kHostObjStorage;
  }
  sqlite3_int64 oldest_kept = sqlite3_last_insert_rowid(db_) - max_records_;
  if (oldest_kept > 0) {
    sqlite3_reset(prune_);
    sqlite3_bind_int64(prune_, 1, oldest_kept);
    if (sqlite3_step(prune_) != SQLITE_DONE)
      FW_LOG_FAILURE(this, ("清理旧日志记录失败: " + db_path_).c_str());
    sqlite3_reset(prune_);
  }
  return ec::kFwOk;
}

bool read_log_records(const std::string& db_path, std::size_t limit,
                      std::vector<StoredLogRecord>& records, std::string* error) {
  records.clear();
  if (::access(db_path.c_str(), F_OK) != 0 && errno == ENOENT) return true;
  std::int64_t capped = limit < static_cast<std::size_t>(CLogStore::kMaxRecords)
                             ? static_cast<std::int64_t>(limit)
                             : CLogStore::kMaxRecords;
  sqlite3* db = nullptr;
  sqlite3_stmt* select = nullptr;
  bool ok = sqlite3_open_v2(db_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
            sqlite3_busy_timeout(db, kBusyTimeoutMs) == SQLITE_OK &&
            sqlite3_prepare_v2(db, kSelectNewest, -1, &select, nullptr) == SQLITE_OK &&
            sqlite3_bind_int64(select, 1, capped) == SQLITE_OK;
  int step = SQLITE_DONE;
  while (ok && (step = sqlite3_step(select)) == SQLITE_ROW) records.push_back(read_row(select));
  if (ok && step != SQLITE_DONE) ok = false;
  if (!ok) {
    if (error != nullptr)
      *error = db_path + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory");
    records.clear();
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
  return ok;
}

}  // namespace host
