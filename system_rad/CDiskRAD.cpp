#include "system_rad/CDiskRAD.h"

#include <ace/Guard_T.h>

#include "system_rad/CDiskInfo.h"

namespace {

CDiskRAD::DiskInfo to_disk_info(const utility::CDiskInfo::DiskInfo& raw) {
  CDiskRAD::DiskInfo info;
  info.device = raw.device;
  info.mount_point = raw.mount_point;
  info.fs_type = raw.fs_type;
  const uint64_t block_size = static_cast<uint64_t>(raw.fs.f_bsize);
  info.total = block_size * static_cast<uint64_t>(raw.fs.f_blocks);
  info.free = block_size * static_cast<uint64_t>(raw.fs.f_bfree);
  info.free_ratio = static_cast<double>(info.free) / static_cast<double>(info.total);
  return info;
}

}  // namespace

CDiskRAD* CDiskRAD::instance() {
  static CDiskRAD monitor;
  return &monitor;
}

bool CDiskRAD::get_all_disk_infos(std::vector<DiskInfo>& list) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  list.clear();
  std::vector<utility::CDiskInfo::DiskInfo> raw;
  if (utility::CDiskInfo::get_disk_info(raw) != 0) return false;
  for (const utility::CDiskInfo::DiskInfo& entry : raw) {
    if (entry.fs.f_blocks != 0) list.push_back(to_disk_info(entry));
  }
  return true;
}

bool CDiskRAD::create_disk_infos_cache() { return get_all_disk_infos(disk_infos_); }

bool CDiskRAD::get_disk_info_to_cache(const std::string& device, DiskInfo& info) {
  for (const DiskInfo& entry : disk_infos_) {
    if (entry.device == device) {
      info = entry;
      return true;
    }
  }
  return false;
}

bool CDiskRAD::exceeds(const DiskInfo& info, double max_used) {
  if (info.total == 0) return false;
  const uint64_t used = info.free < info.total ? info.total - info.free : 0;
  // In long double both products are exact for any realistic size, where
  // 1 - free / total in double may land just below the limit.
  return static_cast<long double>(used) * 100 >=
         static_cast<long double>(max_used) * static_cast<long double>(info.total);
}

bool CDiskRAD::is_anomaly(const char* device, double max_used) {
  DiskInfo info;
  if (device == nullptr || !get_disk_info_to_cache(device, info)) return false;
  anomaly_value_.store(1.0 - info.free_ratio);
  {
    std::lock_guard<std::mutex> guard(last_lock_);
    last_device_ = device;
    last_total_ = info.total;
    last_free_ = info.free;
  }
  return exceeds(info, max_used);
}

double CDiskRAD::get_anomaly_value() { return anomaly_value_.load(); }

void CDiskRAD::get_last_value(std::string& device, uint64_t& total, uint64_t& free) {
  std::lock_guard<std::mutex> guard(last_lock_);
  device = last_device_;
  total = last_total_;
  free = last_free_;
}
