// Cost of reading the monitoring settings: a cached read (which still looks
// for the flag file every time), the flag check alone, and a read that the
// flag file forces to reload the file. Runs on a copy of the shipped
// settings file in a temporary directory.
#include <cstdio>
#include <string>

#include "bench/BenchReport.h"
#include "system_rad/CSystemRADConfig.h"
#include "test_support/TempDir.h"

namespace {

const char kSettings[] =
    "config/system_resource_anomaly_detect/zelmor_system_resource_anomaly_detect.xml";
const char kFlag[] = "tmp/system_monitor.lock";

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
  auto get = [&] { ok = config->get_cpu_config(cpu) && ok; };

  bench::report("rad_config_get_cpu_cached_us", bench::median_us(100000, get), "us", 3);
  bench::report("rad_config_flag_check_us",
                bench::median_us(100000, [&] { config->check_flush_conf(); }), "us", 3);
  bench::report("rad_config_get_cpu_reload_us",
                bench::median_us(2000, get, 0, [&] { dir.write(kFlag, ""); }),
                "us", 1);
  if (!ok) {
    std::fprintf(stderr, "bench_rad_config: a read failed\n");
    return 1;
  }
  return 0;
}
