// Resident memory of agent_host at rest with no plug-in loaded.
#include <cstdio>
#include <string>

#include "bench/BenchReport.h"
#include "test_support/CHostProcess.h"
#include "test_support/TempDir.h"

int main() {
  test_support::TempDir install;
  test_support::TempDir empty_plugins;
  test_support::CHostProcess host(install.file("host.log"));
  if (!host.start(std::string(AGENT_BIN_DIR) + "/agent_host", install.path(),
                  empty_plugins.path(), "")) {
    std::fprintf(stderr, "bench_rss: %s\n", host.error().c_str());
    return 1;
  }
  long kb = bench::rss_kb(host.pid());
  int status = host.stop();
  if (kb < 0 || status != 0) {
    std::fprintf(stderr, "bench_rss: no VmRSS read, or agent_host did not exit cleanly\n");
    return 1;
  }
  std::printf("BENCH agent_host_rss_no_plugin %ld kB\n", kb);
  return 0;
}
