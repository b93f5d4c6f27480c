// Memory usage monitor: one usage reading per cycle into a trend detector.
//
// A process-wide singleton (instance()). Thread safety: readings of
// /proc/meminfo are serialised by the sampling lock; the detector carries its
// own lock; the last figures are atomics written by the monitoring thread and
// readable from any thread.
#ifndef SYSTEM_RAD_CMEMRAD_H_
#define SYSTEM_RAD_CMEMRAD_H_

#include <ace/RW_Thread_Mutex.h>

#include <atomic>
#include <cstdint>

#include "system_rad/CTrendAnomalyDetector.h"

class CMemRAD {
 public:
  static CMemRAD* instance();

  CMemRAD(const CMemRAD&) = delete;
  CMemRAD& operator=(const CMemRAD&) = delete;

  // Total memory and available memory (MemFree + Cached + Buffers), in
  // bytes; 0 for figures that cannot be read. Always true.
  bool get_cur_memory_status(uint64_t& total, uint64_t& free);

  // Adds (1 - free / total) * 100 to the detector and keeps the figures.
  // When the total cannot be read (0) the value added is 0, so one failed
  // reading does not turn the window mean into NaN for 100 cycles.
  void add_sample();
  bool is_anomaly();
  void set_phi_threshold(double threshold);
  double get_anomaly_value();
  // The figures of the last add_sample, in bytes.
  void get_last_value(uint64_t& total, uint64_t& free);

 private:
  CMemRAD() = default;

  CTrendAnomalyDetector detector_;
  ACE_RW_Thread_Mutex lock_;  // serialises readings
  std::atomic<uint64_t> last_total_{0};
  std::atomic<uint64_t> last_free_{0};
};

#endif  // SYSTEM_RAD_CMEMRAD_H_
