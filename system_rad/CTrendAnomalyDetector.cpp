#include "system_rad/CTrendAnomalyDetector.h"

#include <ace/Guard_T.h>

void CTrendAnomalyDetector::set_phi_threshold(double threshold) {
  phi_threshold_.store(threshold);
}

void CTrendAnomalyDetector::add_sample(double value) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  if (samples_.size() == kWindow) samples_.pop_front();
  samples_.push_back(value);
  last_value_.store(value);
}

bool CTrendAnomalyDetector::is_anomaly() {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  double sum = 0.0;
  for (double value : samples_) sum += value;
  // An empty window gives 0/0: not a number, which no comparison passes.
  const double mean = sum / static_cast<double>(samples_.size());
  anomaly_value_.store(mean);
  if (mean > phi_threshold_.load()) {
    samples_.clear();
    return true;
  }
  anomaly_value_.store(0.0);
  return false;
}

double CTrendAnomalyDetector::get_anomaly_value() const { return anomaly_value_.load(); }

double CTrendAnomalyDetector::get_last_value() const { return last_value_.load(); }
