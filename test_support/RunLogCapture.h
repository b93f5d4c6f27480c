// Collects the run log lines written while it lives, from any thread, and
// keeps them off stderr meanwhile.
#ifndef TEST_SUPPORT_RUNLOGCAPTURE_H_
#define TEST_SUPPORT_RUNLOGCAPTURE_H_

#include <mutex>
#include <string>
#include <vector>

#include "platform/base/CRunLog.h"

namespace test_support {

class RunLogCapture {
 public:
  RunLogCapture() {
    fwbase::CRunLog::set_stderr(false);
    fwbase::CRunLog::set_observer(
        [this](unsigned, const std::string& text, const std::string&) {
          std::lock_guard<std::mutex> lock(mutex_);
          texts_.push_back(text);
        });
  }
  ~RunLogCapture() {
    fwbase::CRunLog::set_observer(nullptr);
    fwbase::CRunLog::set_stderr(true);
  }
  RunLogCapture(const RunLogCapture&) = delete;
  RunLogCapture& operator=(const RunLogCapture&) = delete;

  // True when a line holds `part`.
  bool saw(const std::string& part) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& text : texts_)
      if (text.find(part) != std::string::npos) return true;
    return false;
  }
  // The lines so far, oldest first.
  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> texts_;
};

}  // namespace test_support

#endif  // TEST_SUPPORT_RUNLOGCAPTURE_H_
