// CPU usage monitor: one usage reading per cycle into a trend detector.
//
// A process-wide singleton (instance()). Thread safety: a measurement holds
// the sampling lock exclusively for about one second, so concurrent callers
// wait for each other; the detector carries its own lock.
#ifndef SYSTEM_RAD_CCPURAD_H_
#define SYSTEM_RAD_CCPURAD_H_

#include <ace/RW_Thread_Mutex.h>

#include "system_rad/CTrendAnomalyDetector.h"

class CCpuRAD {
 public:
  static CCpuRAD* instance();

  CCpuRAD(const CCpuRAD&) = delete;
  CCpuRAD& operator=(const CCpuRAD&) = delete;

  // Usage of all CPUs together over one second (two /proc/stat snapshots
  // around sampling_env().pause_one_second()), in percent truncated toward
  // zero and kept within 0 to 100; 0 when it cannot be computed.
  int get_cur_cpu_status();

  // One measurement into the detector.
  void add_sample();
  // The detector's verdict (window mean above the threshold).
  bool is_anomaly();
  void set_phi_threshold(double threshold);
  // The detector's anomaly value and last value, truncated toward zero.
  int get_anomaly_value();
  int get_last_value();

 private:
  CCpuRAD() = default;

  ACE_RW_Thread_Mutex lock_;  // serialises measurements
  CTrendAnomalyDetector detector_;
};

#endif  // SYSTEM_RAD_CCPURAD_H_
