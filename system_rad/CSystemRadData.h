// The local history of resource samples: one SQLite table per resource in
// ./config/system_resource_anomaly_detect/system_resource_anomaly_detect.db,
// relative to the working directory. Tables only grow; nothing is updated
// or deleted.
//
// Amounts are kept as decimal text, every timestamp as the writer's text.
// Failures are written to the run log and answered with false; nothing is
// retried.
//
// Thread safety: inserts hold the store's lock exclusively for their whole
// transaction; queries hold it shared, so they run side by side on the one
// connection but never while it is opened or closed.
#ifndef SYSTEM_RAD_CSYSTEMRADDATA_H_
#define SYSTEM_RAD_CSYSTEMRADDATA_H_

#include <ace/RW_Thread_Mutex.h>

#include <cstdint>
#include <string>
#include <vector>

#include "utility/CppSQLite3.h"

class CSystemRadData {
 public:
  struct SystemRadDataCpu {
    std::string timestamp;
    int32_t usage = 0;  // percent
  };
  struct SystemRadDataMem {
    std::string timestamp;
    uint64_t total = 0;
    uint64_t free = 0;
  };
  struct SystemRadDataSwap {
    std::string timestamp;
    uint64_t total = 0;
    uint64_t free = 0;
  };
  struct SystemRadDataNet {
    std::string timestamp;
    uint64_t up = 0;
    uint64_t down = 0;
  };
  struct SystemRadDataDisk {
    std::string timestamp;
    std::string device;
    uint64_t total = 0;
    uint64_t free = 0;
  };

  // The single instance, made on first use and never destroyed.
  static CSystemRadData* instance();

  // Opens the database (creating its directory and missing tables). False,
  // with a logged failure, when it cannot be opened or a table not made.
  bool init();
  // Closes the connection; later operations fail until the next init.
  void release();

  // Appends one row in its own transaction.
  bool insert(const SystemRadDataCpu& row);
  bool insert(const SystemRadDataMem& row);
  bool insert(const SystemRadDataNet& row);
  bool insert(const SystemRadDataDisk& row);
  bool insert(const SystemRadDataSwap& row);
  bool insert_cpu_record(const SystemRadDataCpu& row) { return insert(row); }
  bool insert_mem_record(const SystemRadDataMem& row) { return insert(row); }
  bool insert_net_record(const SystemRadDataNet& row) { return insert(row); }
  bool insert_disk_record(const SystemRadDataDisk& row) { return insert(row); }
  bool insert_swap_record(const SystemRadDataSwap& row) { return insert(row); }

  // Appends the rows matching `where` (SQL text put after " where "
  // unchanged; null for all rows) in SQLite's order. Rows appended before a
  // failure stay in `rows`.
  bool query(const char* where, std::vector<SystemRadDataCpu>& rows);
  bool query(const char* where, std::vector<SystemRadDataMem>& rows);
  bool query(const char* where, std::vector<SystemRadDataNet>& rows);
  bool query(const char* where, std::vector<SystemRadDataDisk>& rows);
  bool query(const char* where, std::vector<SystemRadDataSwap>& rows);
  bool get_cpu_all_records(std::vector<SystemRadDataCpu>& rows) { return query(nullptr, rows); }
  bool get_mem_all_records(std::vector<SystemRadDataMem>& rows) { return query(nullptr, rows); }
  bool get_net_all_records(std::vector<SystemRadDataNet>& rows) { return query(nullptr, rows); }
  bool get_disk_all_records(std::vector<SystemRadDataDisk>& rows) { return query(nullptr, rows); }
  bool get_swap_all_records(std::vector<SystemRadDataSwap>& rows) { return query(nullptr, rows); }

  // Text of an amount as stored: its signed 64-bit reading in decimal, so
  // amounts from 2^63 up are stored negative. An amount read back: negative
  // text gives the same 64 bits again, and unsigned text above 2^63 - 1 (as
  // another writer may store it) reads as its value instead of 0.
  static std::string amount_text(uint64_t amount);
  static uint64_t amount_of(const char* text);

 private:
  CSystemRadData() = default;
  template <class Row>
  bool insert_row(const Row& row);
  template <class Row>
  bool query_rows(const char* where, std::vector<Row>& rows);

  CppSQLite3DB db_;
  ACE_RW_Thread_Mutex lock_;
};

#endif  // SYSTEM_RAD_CSYSTEMRADDATA_H_
