// The history store: inserts of single CPU samples (one transaction each, on
// the disk under /tmp) and a read of every row of a large table.
//   bench_history [inserts] [rows]      (defaults 100000 and 1000000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "system_rad/CSystemRadData.h"
#include "test_support/TempDir.h"
#include "utility/CppSQLite3.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void bench_inserts(CSystemRadData* store, long count) {
  const Clock::time_point start = Clock::now();
  for (long i = 0; i < count; ++i) {
    if (!store->insert(CSystemRadData::SystemRadDataCpu{"2026-12-11 10:00:00", int(i % 100)})) {
      std::fprintf(stderr, "insert %ld failed\n", i);
      std::exit(1);
    }
  }
  const double elapsed = seconds_since(start);
  bench::report("history_insert_cpu_" + std::to_string(count) + "_s", elapsed, "s", 2);
  bench::report("history_insert_cpu_rows_per_s", count / elapsed, "rows/s", 0);
  bench::report("history_insert_cpu_us_per_row", elapsed * 1e6 / count, "us", 1);
}

// Fills the table to `rows` rows in one transaction, outside the store.
void fill(long rows, long present) {
  CppSQLite3DB db;
  db.open("config/system_resource_anomaly_detect/system_resource_anomaly_detect.db");
  db.execDML("begin transaction;");
  CppSQLite3Statement st =
      db.compileStatement("insert into cpu_date(usage,timestamp) values (?,?);");
  for (long i = present; i < rows; ++i) {
    st.bind(1, int(i % 100));
    st.bind(2, "2026-12-11 10:00:00");
    st.execDML();
  }
  db.execDML("commit transaction;");
}

void bench_read_all(CSystemRadData* store, long rows) {
  std::vector<CSystemRadData::SystemRadDataCpu> records;
  const Clock::time_point start = Clock::now();
  if (!store->get_cpu_all_records(records) || long(records.size()) != rows) {
    std::fprintf(stderr, "read %zu rows, expected %ld\n", records.size(), rows);
    std::exit(1);
  }
  const double elapsed = seconds_since(start);
  bench::report("history_read_all_cpu_" + std::to_string(rows) + "_s", elapsed, "s", 3);
  bench::report("history_read_all_cpu_rows_per_s", rows / elapsed, "rows/s", 0);
}

}  // namespace

int main(int argc, char** argv) {
  const long inserts = argc > 1 ? std::atol(argv[1]) : 100000;
  const long rows = argc > 2 ? std::atol(argv[2]) : 1000000;
  test_support::TempDir dir(true);
  dir.make_dirs("config");
  CSystemRadData* store = CSystemRadData::instance();
  if (!store->init()) return 1;
  bench_inserts(store, inserts);
  fill(rows, inserts);
  bench_read_all(store, rows);
  store->release();
  return 0;
}
