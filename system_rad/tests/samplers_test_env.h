// Test fixture for the samplers and monitors: points the sampling paths at
// files of a temporary directory or of the fixture tree, and restores the
// production settings after each test.
#ifndef SYSTEM_RAD_TESTS_SAMPLERS_TEST_ENV_H_
#define SYSTEM_RAD_TESTS_SAMPLERS_TEST_ENV_H_

#include <gtest/gtest.h>

#include <string>

#include "system_rad/SamplingEnv.h"
#include "test_support/TempDir.h"

namespace system_rad_test {

class SamplingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = utility::sampling_env();
    utility::sampling_env().pause_one_second = [] {};
  }
  void TearDown() override { utility::sampling_env() = saved_; }

  static utility::SamplingEnv& env() { return utility::sampling_env(); }

  // A file of the fixture tree.
  static std::string fixture(const std::string& relative) {
    return std::string(SYSTEM_RAD_FIXTURES) + "/" + relative;
  }

  // Writes `content` to a file of the temporary directory; its path.
  std::string write(const std::string& name, const std::string& content) {
    temp_.write(name, content);
    return temp_.file(name);
  }

  std::string missing() const { return temp_.file("missing"); }

  test_support::TempDir temp_;

 private:
  utility::SamplingEnv saved_;
};

}  // namespace system_rad_test

#endif  // SYSTEM_RAD_TESTS_SAMPLERS_TEST_ENV_H_
