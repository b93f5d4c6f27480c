#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "system_rad/CPhiAccrualFailureDetector.h"
#include "system_rad/CTrendAnomalyDetector.h"

namespace {

TEST(TrendDetector, JudgesTheWindowMeanStrictlyAboveTheThreshold) {
  struct Case {
    double value;
    bool anomalous;
  };
  for (Case c : {Case{5.0, false}, Case{5.0001, true}, Case{4.0, false}}) {
    CTrendAnomalyDetector detector;
    detector.set_phi_threshold(5.0);
    detector.add_sample(c.value);
    EXPECT_EQ(detector.is_anomaly(), c.anomalous) << c.value;
    EXPECT_EQ(detector.get_anomaly_value(), c.anomalous ? c.value : 0.0);
    EXPECT_EQ(detector.get_last_value(), c.value);
  }
}

TEST(TrendDetector, KeepsTheLastHundredValues) {
  CTrendAnomalyDetector detector;
  detector.set_phi_threshold(0.5);
  for (int i = 0; i < 100; ++i) detector.add_sample(0.0);
  detector.add_sample(100.0);  // pushes out the first 0
  ASSERT_TRUE(detector.is_anomaly());
  EXPECT_DOUBLE_EQ(detector.get_anomaly_value(), 1.0);
}

TEST(TrendDetector, AReportEmptiesTheWindowAndKeepsItsMean) {
  CTrendAnomalyDetector detector;
  detector.set_phi_threshold(10.0);
  detector.add_sample(30.0);
  detector.add_sample(20.0);
  ASSERT_TRUE(detector.is_anomaly());
  EXPECT_EQ(detector.get_anomaly_value(), 25.0);
  EXPECT_EQ(detector.get_anomaly_value(), 25.0);  // until the next judgement

  // The next judgement sees only what came after the report.
  detector.add_sample(4.0);
  EXPECT_FALSE(detector.is_anomaly());
  EXPECT_EQ(detector.get_anomaly_value(), 0.0);
}

TEST(TrendDetector, EmptyOrNotANumberWindowIsNeverAnomalous) {
  CTrendAnomalyDetector detector;
  detector.set_phi_threshold(-1.0);
  EXPECT_FALSE(detector.is_anomaly());
  EXPECT_EQ(detector.get_anomaly_value(), 0.0);

  detector.add_sample(std::numeric_limits<double>::quiet_NaN());
  detector.add_sample(50.0);
  EXPECT_FALSE(detector.is_anomaly());
  EXPECT_EQ(detector.get_anomaly_value(), 0.0);
}

TEST(PhiDetector, FirstSampleFillsTheBaseline) {
  CPhiAccrualFailureDetector detector;
  detector.add_sample(7.0);
  // Window: 0.01 .. 1.00, three more runs of 0.00 .. 1.00, 0.00 .. 0.95, then 7.
  double expected_sum = 7.0;
  double a = 1.0;
  for (int i = 1; i < 500; ++i) {
    expected_sum += a / 100.0;
    a = (a == 100.0) ? 0.0 : a + 1.0;
  }
  const double mean = expected_sum / 500.0;
  EXPECT_NEAR(detector.p(mean), std::exp(-1.0), 1e-12);
  EXPECT_NEAR(detector.phi(mean), 1.0 / std::log(10.0), 1e-12);
}

TEST(PhiDetector, PhiGrowsLinearlyWithTheInterval) {
  CPhiAccrualFailureDetector detector;
  EXPECT_EQ(detector.phi(3.0), 0.0);  // empty window
  detector.add_sample(0.5);
  // The baseline and 0.5 give some mean m; phi(t) = t / (m ln 10).
  const double m = -1.0 / std::log(detector.p(1.0));
  for (double t : {0.0, 0.5, 2.0, 10.0})
    EXPECT_NEAR(detector.phi(t), t / (m * std::log(10.0)), 1e-9) << t;

  // Default threshold 1.0: anomalous beyond about 2.3026 m.
  EXPECT_FALSE(detector.is_anomaly(2.30 * m));
  EXPECT_TRUE(detector.is_anomaly(2.31 * m));
  EXPECT_EQ(detector.phi(1.0), 0.0);  // the report emptied the window
}

TEST(PhiDetector, AllZeroWindow) {
  CPhiAccrualFailureDetector detector;
  detector.add_sample(0.0);
  // Push the baseline out: 499 more zeros.
  for (int i = 0; i < 499; ++i) detector.add_sample(0.0);
  EXPECT_FALSE(detector.is_anomaly(0.0));  // 0/0: not a number
  EXPECT_TRUE(detector.is_anomaly(0.1));   // p is 0, phi infinite
}

TEST(TrendDetector, FeedingAndReadingFromSeveralThreads) {
  CTrendAnomalyDetector detector;
  std::thread feeder([&] {
    for (int i = 0; i < 5000; ++i) {
      detector.set_phi_threshold(i % 50);
      detector.add_sample(i % 100);
      if (detector.is_anomaly()) detector.get_anomaly_value();
    }
  });
  double seen = 0.0;
  for (int i = 0; i < 5000; ++i) seen += detector.get_last_value() + detector.get_anomaly_value();
  feeder.join();
  EXPECT_GE(seen, 0.0);
  EXPECT_EQ(detector.get_last_value(), 99.0);
}

}  // namespace
