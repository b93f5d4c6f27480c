#include "platform/ipfilter/CSecModelIpFilter.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "frame/fwbase.h"
#include "platform/ipfilter/CFilterState.h"
#include "platform/ipfilter/CRuleFile.h"

namespace ipfilter {

namespace {

// The expiry thread looks at least this often, also to notice a clock that
// a test moves by hand.
const int64_t kMaxSleepMs = 1000;

void log_line(const void* self, const std::string& text) { FW_LOG_FAILURE(self, text.c_str()); }

void log_load_problems(const void* self, const std::string& path,
                       const CRuleFile::Contents& contents) {
  if (contents.unreadable) log_line(self, "IP过滤: 无法读取规则文件: " + path);
  for (unsigned long line : contents.bad_lines)
    log_line(self, "IP过滤: 规则文件格式错误, 已跳过: " + path + " line " + std::to_string(line));
  if (contents.bad_count > contents.bad_lines.size())
    log_line(self, "IP过滤: 规则文件另有 " +
                       std::to_string(contents.bad_count - contents.bad_lines.size()) +
                       " 行格式错误, 已跳过: " + path);
  if (contents.truncated)
    log_line(self, "IP过滤: 规则文件超出上限, 只载入前 " + std::to_string(contents.ranges.size()) +
                       " 条: " + path);
}

}  // namespace

CSecModelIpFilter::CSecModelIpFilter(const std::string& rule_path, const std::string& state_path,
                                     IKernelFilter& kernel, CIpRuleSet::Clock clock)
    : rule_path_(rule_path),
      state_path_(state_path),
      kernel_(kernel),
      rules_(kernel, state_path, clock),
      stop_(false) {}

CSecModelIpFilter::~CSecModelIpFilter() { close(); }

int CSecModelIpFilter::open() {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  stop_thread();
  const CRuleFile::Contents contents = CRuleFile::load(rule_path_);
  log_load_problems(this, rule_path_, contents);
  const int status = rules_.open(contents.ranges, CFilterState::load(state_path_));
  if (status != kIpfOk) return status;
  {
    std::lock_guard<std::mutex> thread_lock(thread_mutex_);
    stop_ = false;
  }
  expiry_thread_ = std::thread(&CSecModelIpFilter::expiry_loop, this);
  return kIpfOk;
}

int CSecModelIpFilter::close() {
  std::lock_guard<std::mutex> lock(lifecycle_mutex_);
  stop_thread();
  rules_.close();
  return kIpfOk;
}

void CSecModelIpFilter::stop_thread() {
  {
    std::lock_guard<std::mutex> thread_lock(thread_mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (expiry_thread_.joinable()) expiry_thread_.join();
}

void CSecModelIpFilter::expiry_loop() {
  std::unique_lock<std::mutex> thread_lock(thread_mutex_);
  while (!stop_) {
    thread_lock.unlock();
    const int64_t next = rules_.expire();
    thread_lock.lock();
    const int64_t sleep_ms =
        next < 0 ? kMaxSleepMs : std::min(std::max<int64_t>(next, 1), kMaxSleepMs);
    wake_.wait_for(thread_lock, std::chrono::milliseconds(sleep_ms), [this] { return stop_; });
  }
}

}  // namespace ipfilter
