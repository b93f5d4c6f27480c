#include "system_rad/CNetRAD.h"

#include <ace/Guard_T.h>

#include <cstdio>

#include "system_rad/CNetInfo.h"
#include "system_rad/SamplingEnv.h"

namespace {

const int kUpload = 0;
const char kLoopback[] = "lo";

}  // namespace

CNetRAD* CNetRAD::instance() {
  static CNetRAD monitor;
  return &monitor;
}

CTrendAnomalyDetector& CNetRAD::detector(int direction) {
  return direction == kUpload ? up_detector_ : down_detector_;
}

uint64_t CNetRAD::sum_counters(const std::vector<std::string>& names, const int& direction,
                               int pass) {
  uint64_t sum = 0;
  for (const std::string& name : names) {
    if (name == kLoopback) continue;
    utility::CNetInfo::NetStat stat = {};
    if (utility::CNetInfo::get_net_stat(name, stat) != 0) continue;
    if (direction == kUpload) {
      sum += stat.ns_obytes;
      std::printf("[%d:%s]ns.ns_obytes: %lld\n", pass, name.c_str(),
                  static_cast<long long>(stat.ns_obytes));
    } else {
      sum += stat.ns_ibytes;
      std::printf("[%d:%s]ns.ns_ibytes: %lld\n", pass, name.c_str(),
                  static_cast<long long>(stat.ns_ibytes));
    }
  }
  return sum;
}

void CNetRAD::get_cur_net_speed(const int& direction, uint64_t& speed) {
  std::vector<std::string> names;
  if (utility::CNetInfo::get_all_ni(names) != 0) return;
  const uint64_t first = sum_counters(names, direction, 1);
  utility::sampling_env().pause_one_second();
  const uint64_t second = sum_counters(names, direction, 2);
  speed = second - first;
}

void CNetRAD::get_cur_value_for_view(uint64_t& up, uint64_t& down) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  get_cur_net_speed(kUpload, up);
  get_cur_net_speed(1, down);
}

void CNetRAD::add_sample() {
  uint64_t up = 0;
  uint64_t down = 0;
  get_cur_value_for_view(up, down);
  last_up_.store(up);
  up_detector_.add_sample(static_cast<double>(up));
  last_down_.store(down);
  down_detector_.add_sample(static_cast<double>(down));
}

bool CNetRAD::is_anomaly(const int& direction) { return detector(direction).is_anomaly(); }

void CNetRAD::set_phi_threshold(const int& direction, double threshold) {
  detector(direction).set_phi_threshold(threshold);
}

double CNetRAD::get_anomaly_value(const int& direction) {
  return detector(direction).get_anomaly_value();
}

uint64_t CNetRAD::get_last_value(const int& direction) {
  return direction == kUpload ? last_up_.load() : last_down_.load();
}
