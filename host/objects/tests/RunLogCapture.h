// Collects the run log lines written while it lives.
#ifndef HOST_OBJECTS_TESTS_RUNLOGCAPTURE_H_
#define HOST_OBJECTS_TESTS_RUNLOGCAPTURE_H_

#include <mutex>
#include <string>
#include <vector>

#include "platform/base/CRunLog.h"

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

 private:
  std::mutex mutex_;
  std::vector<std::string> texts_;
};

#endif  // HOST_OBJECTS_TESTS_RUNLOGCAPTURE_H_
