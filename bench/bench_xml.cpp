// One CXmlEx::read_xml_node call on the agent's settings file, as the web
// server managers read their paths: each call loads the whole file. Prints
// the time per call, the thread's CPU time (user and system) over about a
// second of calls, best of three rounds.
#include <time.h>

#include <cstdio>
#include <string>

#include "test_support/TempDir.h"
#include "utility/CXmlEx.h"

namespace {

const char kSettings[] = "config/other/zelmor_config_other.xml";
const char kXPath[] = "//config/nginx_path";
const double kSecondsPerRound = 1.0;
const int kRounds = 3;
const int kBatch = 100;

double cpu_seconds() {
  struct timespec now;
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Microseconds per call over one round; negative when a call fails.
double round_us(const std::string& file) {
  std::string text;
  long calls = 0;
  double start = cpu_seconds();
  double elapsed = 0;
  while (elapsed < kSecondsPerRound) {
    for (int i = 0; i < kBatch; ++i) {
      if (!utility::CXmlEx::read_xml_node(file, kXPath, text)) return -1;
    }
    calls += kBatch;
    elapsed = cpu_seconds() - start;
  }
  return elapsed * 1e6 / static_cast<double>(calls);
}

}  // namespace

int main() {
  test_support::TempDir dir;
  std::string content = test_support::read_file(std::string(AGENT_DIST_DIR) + "/" + kSettings);
  if (content.empty()) {
    std::fprintf(stderr, "bench_xml: cannot read %s/%s\n", AGENT_DIST_DIR, kSettings);
    return 1;
  }
  dir.write(kSettings, content);
  double best = 0;
  for (int round = 0; round < kRounds; ++round) {
    double us = round_us(dir.file(kSettings));
    if (us < 0) {
      std::fprintf(stderr, "bench_xml: read_xml_node failed\n");
      return 1;
    }
    if (round == 0 || us < best) best = us;
  }
  std::printf("BENCH xml_read_node_per_call %.2f us\n", best);
  return 0;
}
