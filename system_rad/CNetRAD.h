// Network speed monitor: upload and download speed per cycle, each into a
// trend detector of its own. Direction 0 is upload (transmitted bytes), any
// other value download (received bytes).
//
// A process-wide singleton (instance()). Thread safety: a measurement of
// both directions holds the sampling lock exclusively for about two seconds,
// so concurrent callers wait for each other; the detectors carry their own
// locks; the last speeds are atomics written by the monitoring thread and
// readable from any thread.
#ifndef SYSTEM_RAD_CNETRAD_H_
#define SYSTEM_RAD_CNETRAD_H_

#include <ace/RW_Thread_Mutex.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "system_rad/CTrendAnomalyDetector.h"

class CNetRAD {
 public:
  static CNetRAD* instance();

  CNetRAD(const CNetRAD&) = delete;
  CNetRAD& operator=(const CNetRAD&) = delete;

  // Bytes per second in one direction, summed over every IPv4 interface but
  // "lo", measured over sampling_env().pause_one_second(). Unsigned
  // difference of the two sums: a counter that wraps or is reset in between
  // gives a very large value. `speed` is untouched when the interfaces cannot
  // be listed. Does not take the sampling lock.
  void get_cur_net_speed(const int& direction, uint64_t& speed);

  // One pass of a measurement: the sum of the chosen counter over `names`
  // (pass 1 or 2, as traced on standard output), leaving out "lo" and
  // interfaces whose counters cannot be read.
  static uint64_t sum_counters(const std::vector<std::string>& names, const int& direction,
                               int pass);

  // Upload, then download speed, under the sampling lock.
  void get_cur_value_for_view(uint64_t& up, uint64_t& down);

  // One measurement of both directions into the two detectors; a failed
  // measurement adds 0.
  void add_sample();
  bool is_anomaly(const int& direction);
  void set_phi_threshold(const int& direction, double threshold);
  double get_anomaly_value(const int& direction);
  // The speed of the last add_sample in that direction.
  uint64_t get_last_value(const int& direction);

 private:
  CNetRAD() = default;
  CTrendAnomalyDetector& detector(int direction);

  CTrendAnomalyDetector up_detector_;
  CTrendAnomalyDetector down_detector_;
  ACE_RW_Thread_Mutex lock_;  // serialises measurements
  std::atomic<uint64_t> last_up_{0};
  std::atomic<uint64_t> last_down_{0};
};

#endif  // SYSTEM_RAD_CNETRAD_H_
