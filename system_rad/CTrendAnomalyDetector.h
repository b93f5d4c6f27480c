// Judges a stream of samples by the mean of a moving window of the last 100.
//
// Thread safety: add_sample and is_anomaly hold the lock exclusively for
// their whole run (both change the window); the threshold and the two values
// are single atomic doubles read and written without it, so a viewer may
// read them while a monitoring thread feeds the detector.
#ifndef SYSTEM_RAD_CTRENDANOMALYDETECTOR_H_
#define SYSTEM_RAD_CTRENDANOMALYDETECTOR_H_

#include <ace/RW_Thread_Mutex.h>

#include <atomic>
#include <list>

class CTrendAnomalyDetector {
 public:
  static constexpr std::size_t kWindow = 100;

  CTrendAnomalyDetector() = default;
  CTrendAnomalyDetector(const CTrendAnomalyDetector&) = delete;
  CTrendAnomalyDetector& operator=(const CTrendAnomalyDetector&) = delete;

  // The mean above which (strictly) the window is anomalous.
  void set_phi_threshold(double threshold);
  // Appends `value`, dropping the oldest once the window holds 100.
  void add_sample(double value);
  // True when the window mean exceeds the threshold; the window is then
  // emptied and the mean kept as the anomaly value. Otherwise the anomaly
  // value becomes 0.0. An empty window has no mean and is never anomalous.
  bool is_anomaly();
  // The mean found by the last anomalous is_anomaly, 0.0 after a normal one.
  double get_anomaly_value() const;
  // The most recent value given to add_sample.
  double get_last_value() const;

 private:
  ACE_RW_Thread_Mutex lock_;
  std::list<double> samples_;
  std::atomic<double> phi_threshold_{0.0};
  std::atomic<double> anomaly_value_{0.0};
  std::atomic<double> last_value_{0.0};
};

#endif  // SYSTEM_RAD_CTRENDANOMALYDETECTOR_H_
