#include "system_rad/CCpuRAD.h"

#include <ace/Guard_T.h>

#include "system_rad/CCpuInfo.h"
#include "system_rad/SamplingEnv.h"

namespace {

// Truncates toward zero; values outside 0..100 (counters running backwards)
// and NaN are held to the range so the conversion is always defined.
int to_percent(double value) {
  if (!(value > 0.0)) return 0;
  if (value > 100.0) return 100;
  return static_cast<int>(value);
}

}  // namespace

CCpuRAD* CCpuRAD::instance() {
  static CCpuRAD monitor;
  return &monitor;
}

int CCpuRAD::get_cur_cpu_status() {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  utility::CCpuInfo::CpuStat first;
  utility::CCpuInfo::CpuStat second;
  utility::CCpuInfo::get_cpu_stat(first);
  utility::sampling_env().pause_one_second();
  utility::CCpuInfo::get_cpu_stat(second);
  double usage = 0.0;
  utility::CCpuInfo::get_cpu_usage(first, second, usage);
  return to_percent(usage);
}

void CCpuRAD::add_sample() {
  const int usage = get_cur_cpu_status();
  if (usage != -1) detector_.add_sample(usage);
}

bool CCpuRAD::is_anomaly() { return detector_.is_anomaly(); }

void CCpuRAD::set_phi_threshold(double threshold) { detector_.set_phi_threshold(threshold); }

int CCpuRAD::get_anomaly_value() { return to_percent(detector_.get_anomaly_value()); }

int CCpuRAD::get_last_value() { return to_percent(detector_.get_last_value()); }
