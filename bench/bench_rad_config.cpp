// Cost of reading the monitoring settings: a cached read (which still looks
// for the flag file every time), the flag check alone, and a read that the
// flag file forces to reload the file. Runs on a copy of the shipped
// settings file in a temporary directory.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "system_rad/CSystemRADConfig.h"
#include "test_support/TempDir.h"

namespace {

const char kSettings[] =
    "config/system_resource_anomaly_detect/zelmor_system_resource_anomaly_detect.xml";
const char kFlag[] = "tmp/system_monitor.lock";

// Median time of `call` in microseconds over `runs` runs, `prepare` run
// untimed before each.
double median_us(int runs, const std::function<void()>& prepare,
                 const std::function<void()>& call) {
  std::vector<double> samples;
  samples.reserve(runs);
  for (int i = 0; i < runs; ++i) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    call();
    const auto end = std::chrono::steady_clock::now();
    samples.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  return bench::percentile(samples, 0.5);
}

}  // namespace

int main() {
  test_support::TempDir dir(true);
  dir.write(kSettings, test_support::read_file(std::string(AGENT_DIST_DIR) + "/" + kSettings));
  dir.make_dirs("tmp");

  CSystemRADConfig* config = CSystemRADConfig::instance();
  config->init(nullptr);
  CSystemRADConfig::SystemRADConfigCpu cpu;
  if (!config->get_cpu_config(cpu)) {
    std::fprintf(stderr, "bench_rad_config: the settings file does not load\n");
    return 1;
  }
  bool ok = true;
  auto nothing = [] {};
  auto get = [&] { ok = config->get_cpu_config(cpu) && ok; };

  bench::report("rad_config_get_cpu_cached_us", median_us(100000, nothing, get), "us", 3);
  bench::report("rad_config_flag_check_us",
                median_us(100000, nothing, [&] { config->check_flush_conf(); }), "us", 3);
  bench::report("rad_config_get_cpu_reload_us",
                median_us(
                    2000, [&] { dir.write(kFlag, ""); }, get),
                "us", 1);
  if (!ok) {
    std::fprintf(stderr, "bench_rad_config: a read failed\n");
    return 1;
  }
  return 0;
}
