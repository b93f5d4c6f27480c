#include "system_rad/CMemRAD.h"

#include <ace/Guard_T.h>

#include "system_rad/CMemInfo.h"

namespace {

const uint64_t kBytesPerKb = 1024;

// Kilobytes to bytes; a negative figure (garbage) reads 0.
uint64_t to_bytes(int32_t kb) { return kb > 0 ? static_cast<uint64_t>(kb) * kBytesPerKb : 0; }

}  // namespace

CMemRAD* CMemRAD::instance() {
  static CMemRAD monitor;
  return &monitor;
}

bool CMemRAD::get_cur_memory_status(uint64_t& total, uint64_t& free) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  utility::CMemInfo::MemStat stat;
  utility::CMemInfo::get_mem_stat(stat);
  total = to_bytes(stat.total);
  free = to_bytes(stat.free);
  return true;
}

void CMemRAD::add_sample() {
  uint64_t total = 0;
  uint64_t free = 0;
  get_cur_memory_status(total, free);
  const double usage =
      total == 0 ? 0.0 : (1.0 - static_cast<double>(free) / static_cast<double>(total)) * 100.0;
  detector_.add_sample(usage);
  last_total_.store(total);
  last_free_.store(free);
}

bool CMemRAD::is_anomaly() { return detector_.is_anomaly(); }

void CMemRAD::set_phi_threshold(double threshold) { detector_.set_phi_threshold(threshold); }

double CMemRAD::get_anomaly_value() { return detector_.get_anomaly_value(); }

void CMemRAD::get_last_value(uint64_t& total, uint64_t& free) {
  total = last_total_.load();
  free = last_free_.load();
}
