// Swap usage monitor: one usage reading per cycle into a trend detector.
//
// A process-wide singleton (instance()). Thread safety: readings need no
// lock (each uses its own file); the detector carries its own lock; the last
// figures are atomics written by the monitoring thread and readable from any
// thread.
#ifndef SYSTEM_RAD_CSWAPRAD_H_
#define SYSTEM_RAD_CSWAPRAD_H_

#include <ace/RW_Thread_Mutex.h>

#include <atomic>
#include <cstdint>

#include "system_rad/CTrendAnomalyDetector.h"

class CSwapRAD {
 public:
  static CSwapRAD* instance();

  CSwapRAD(const CSwapRAD&) = delete;
  CSwapRAD& operator=(const CSwapRAD&) = delete;

  // SwapTotal and SwapFree of /proc/meminfo, in kB. An output whose line is
  // absent is left unchanged. False (outputs unchanged) when the file
  // cannot be opened.
  bool get_swap_info(uint64_t& total, uint64_t& free);

  // The decimal digits of `line` (at most 31), in order, read as one number:
  // "SwapTotal:  512 kB" gives 512. 0 without digits or for a null line;
  // numbers beyond the int range read as the largest int.
  int parse_value(const char* line);

  // Adds 0 when total is 0 or free exceeds total, else
  // (total - free) / total * 100, and keeps the figures.
  void add_sample();
  bool is_anomaly();
  void set_phi_threshold(double threshold);
  double get_anomaly_value();
  // The figures of the last add_sample, in kB.
  void get_last_value(uint64_t& total, uint64_t& free);

 private:
  CSwapRAD() = default;

  CTrendAnomalyDetector detector_;
  ACE_RW_Thread_Mutex lock_;  // kept for symmetry with the other monitors; unused
  std::atomic<uint64_t> last_total_{0};
  std::atomic<uint64_t> last_free_{0};
};

#endif  // SYSTEM_RAD_CSWAPRAD_H_
