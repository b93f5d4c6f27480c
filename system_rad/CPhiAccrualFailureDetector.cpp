#include "system_rad/CPhiAccrualFailureDetector.h"

#include <ace/Guard_T.h>

#include <cmath>

void CPhiAccrualFailureDetector::set_phi_threshold(double threshold) {
  phi_threshold_.store(threshold);
}

void CPhiAccrualFailureDetector::add_sample(double t) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  if (samples_.size() < kWindow) {
    // The baseline 0.00, 0.01, ..., 1.00, 0.00, ... : 500 synthetic intervals.
    double a = 0.0;
    for (std::size_t i = 0; i < kWindow; ++i) {
      samples_.push_back(a / 100.0);
      a = (a == 100.0) ? 0.0 : a + 1.0;
    }
  }
  if (samples_.size() == kWindow) samples_.pop_front();
  samples_.push_back(t);
}

double CPhiAccrualFailureDetector::p(double t) {
  double sum = 0.0;
  for (double value : samples_) sum += value;
  const double mean = sum / static_cast<double>(samples_.size());
  return std::pow(2.718281828459045, -t / mean);
}

double CPhiAccrualFailureDetector::phi(double t) {
  if (samples_.empty()) return 0.0;
  return -std::log10(p(t));
}

bool CPhiAccrualFailureDetector::is_anomaly(double t) {
  ACE_Write_Guard<ACE_RW_Thread_Mutex> guard(lock_);
  // Not a number (all-zero window and t == 0) never passes.
  if (phi(t) > phi_threshold_.load()) {
    samples_.clear();
    return true;
  }
  return false;
}
