// The agent's log records in an SQLite database ("runlog/agent_logs.db"
// below the install directory), and the reader the console listing uses.
#ifndef HOST_OBJECTS_CLOGSTORE_H_
#define HOST_OBJECTS_CLOGSTORE_H_

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "frame/ec.h"
#include "frame/host_objects.h"

struct sqlite3;
struct sqlite3_stmt;

namespace host {

// Thread-safe: one mutex guards the connection and its statements. The
// database is opened (and its table created) on the first append, and again
// on the next append after a failure, so a missing "runlog/" directory only
// costs the records written before it appears. The oldest records are
// dropped once more than `max_records` are kept. Failures are written to
// the run log.
class CLogStore {
 public:
  static const char kRelativePath[];  // "runlog/agent_logs.db"
  static constexpr std::int64_t kMaxRecords = 100000;

  explicit CLogStore(std::string db_path, std::int64_t max_records = kMaxRecords);
  ~CLogStore();
  CLogStore(const CLogStore&) = delete;
  CLogStore& operator=(const CLogStore&) = delete;

  // Stores a copy of `log`. ec::kFwOk, or ec::kHostObjStorage when the
  // database cannot be opened or written.
  ec::EC append(const SystemRadLog& log);

 private:
  bool open_locked();
  void close_locked();
  bool bind_and_insert_locked(const SystemRadLog& log);

  const std::string db_path_;
  const std::int64_t max_records_;
  std::mutex mutex_;  // guards the members below
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* prune_ = nullptr;
};

struct StoredLogRecord {
  std::int64_t id = 0;  // grows with every record stored
  SystemRadLog log;
};

// Reads at most `limit` records (and never more than kMaxRecords) of the
// database at `db_path`, newest first.
// A database that does not exist yet gives no records and true. False, with
// `error` set when given, when it cannot be opened or queried.
bool read_log_records(const std::string& db_path, std::size_t limit,
                      std::vector<StoredLogRecord>& records, std::string* error = nullptr);

}  // namespace host

#endif  // HOST_OBJECTS_CLOGSTORE_H_
