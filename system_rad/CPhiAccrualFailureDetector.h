// Phi accrual judgement of inter-arrival intervals over a window of 500,
// with intervals taken as exponentially distributed around the window mean.
// An empty window is first filled with a fixed synthetic sequence, so a new
// detector (or one that has just reported) starts from a known baseline.
//
// Thread safety: add_sample and is_anomaly hold the lock exclusively; p and
// phi read the window and leave locking to their caller; the threshold is a
// single atomic double.
#ifndef SYSTEM_RAD_CPHIACCRUALFAILUREDETECTOR_H_
#define SYSTEM_RAD_CPHIACCRUALFAILUREDETECTOR_H_

#include <ace/RW_Thread_Mutex.h>

#include <atomic>
#include <list>

class CPhiAccrualFailureDetector {
 public:
  static constexpr std::size_t kWindow = 500;

  CPhiAccrualFailureDetector() = default;
  CPhiAccrualFailureDetector(const CPhiAccrualFailureDetector&) = delete;
  CPhiAccrualFailureDetector& operator=(const CPhiAccrualFailureDetector&) = delete;

  // The phi above which (strictly) an interval is anomalous; 1.0 at start.
  void set_phi_threshold(double threshold);
  // Appends interval `t`, after the synthetic baseline when the window holds
  // fewer than 500, dropping the oldest so that it stays at 500.
  void add_sample(double t);
  // The probability that an interval exceeds `t`: e^(-t / mean).
  double p(double t);
  // -log10(p(t)); 0.0 for an empty window.
  double phi(double t);
  // True when phi(t) exceeds the threshold; the window is then emptied.
  bool is_anomaly(double t);

 private:
  ACE_RW_Thread_Mutex lock_;
  std::list<double> samples_;
  std::atomic<double> phi_threshold_{1.0};
};

#endif  // SYSTEM_RAD_CPHIACCRUALFAILUREDETECTOR_H_
