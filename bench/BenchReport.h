// What every benchmark prints and measures the same way: "BENCH <name>
// <value> <unit>" lines, resident memory, percentiles of latency samples,
// the median time of a call.
#ifndef BENCH_BENCHREPORT_H_
#define BENCH_BENCHREPORT_H_

#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace bench {

inline void report(const std::string& name, double value, const char* unit, int decimals = 1) {
  std::printf("BENCH %s %.*f %s\n", name.c_str(), decimals, value, unit);
  std::fflush(stdout);
}

// VmRSS of process `pid` (0: this process) in kB; -1 when it cannot be read.
inline long rss_kb(pid_t pid = 0) {
  std::ifstream status(pid == 0 ? std::string("/proc/self/status")
                                : "/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "VmRSS:") == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// The sample below which `fraction` of them lie (0.5: the median); sorts
// `samples`. 0 for no samples.
inline double percentile(std::vector<double>& samples, double fraction) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const std::size_t index = static_cast<std::size_t>(samples.size() * fraction);
  return samples[std::min(samples.size() - 1, index)];
}

// Median time of `call` in microseconds over `runs` timed runs, after
// `warm_up` untimed ones; `prepare`, when given, runs untimed before each.
inline double median_us(int runs, const std::function<void()>& call, int warm_up = 0,
                        const std::function<void()>& prepare = nullptr) {
  for (int i = 0; i < warm_up; ++i) call();
  std::vector<double> samples;
  samples.reserve(runs);
  for (int i = 0; i < runs; ++i) {
    if (prepare) prepare();
    const auto start = std::chrono::steady_clock::now();
    call();
    const auto end = std::chrono::steady_clock::now();
    samples.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  return percentile(samples, 0.5);
}

}  // namespace bench

#endif  // BENCH_BENCHREPORT_H_
