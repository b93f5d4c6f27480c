// File-system usage monitor: judges each configured device directly against
// its threshold, without a detector, from a cache refilled once per cycle.
//
// A process-wide singleton (instance()). Thread safety: get_all_disk_infos
// holds the cache lock exclusively while it fills a list (the cache or a
// caller's), so it may be called from any thread. create_disk_infos_cache,
// get_disk_info_to_cache and is_anomaly belong to the one monitoring thread
// (the last two read the cache without the lock). The last judged figures
// may be read from any thread.
#ifndef SYSTEM_RAD_CDISKRAD_H_
#define SYSTEM_RAD_CDISKRAD_H_

#include <ace/RW_Thread_Mutex.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CDiskRAD {
 public:
  // One mounted file system with blocks, sizes in bytes. `free` counts the
  // blocks reserved for the superuser too; free_ratio = free / total.
  struct DiskInfo {
    std::string device;
    std::string mount_point;
    std::string fs_type;
    uint64_t total = 0;
    uint64_t free = 0;
    double free_ratio = 0.0;
  };

  static CDiskRAD* instance();

  CDiskRAD(const CDiskRAD&) = delete;
  CDiskRAD& operator=(const CDiskRAD&) = delete;

  // Empties `list`, then fills it with every mounted file system that has
  // blocks, in mtab order. False, with `list` empty, when the listing fails
  // (one unreachable mount point is enough); true even when nothing remains.
  bool get_all_disk_infos(std::vector<DiskInfo>& list);
  // Refills the cache; a failed listing leaves it empty.
  bool create_disk_infos_cache();
  // The first cache entry whose device equals `device` exactly.
  bool get_disk_info_to_cache(const std::string& device, DiskInfo& info);

  // Judges the cached entry of `device`: false when there is none (nothing
  // changes); otherwise records its used fraction and figures as the last
  // judged and returns whether at least `max_used` percent is used.
  bool is_anomaly(const char* device, double max_used);
  // Used fraction (0 to 1) of the last judged file system.
  double get_anomaly_value();
  void get_last_value(std::string& device, uint64_t& total, uint64_t& free);
  // The disk monitor keeps no window: nothing to sample.
  void add_sample() {}

  // At least `max_used` percent of `info` used. Compared without rounding
  // the fraction first, so a file system at exactly the limit (80 of 80)
  // always counts; a file system of no size never does.
  static bool exceeds(const DiskInfo& info, double max_used);

 private:
  CDiskRAD() = default;

  ACE_RW_Thread_Mutex lock_;  // guards filling a list
  std::atomic<double> anomaly_value_{0.0};
  std::mutex last_lock_;  // guards the three last_ members
  std::string last_device_;
  uint64_t last_total_ = 0;
  uint64_t last_free_ = 0;
  std::vector<DiskInfo> disk_infos_;
};

#endif  // SYSTEM_RAD_CDISKRAD_H_
