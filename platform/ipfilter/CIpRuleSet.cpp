#include "platform/ipfilter/CIpRuleSet.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "frame/fwbase.h"
#include "platform/ipfilter/CIpRange.h"
#include "platform/ipfilter/CRuleFile.h"

namespace ipfilter {

const uint32_t CIpRuleSet::kMaxKernelTimeout;
const std::size_t CIpRuleSet::kMinJournal;

namespace {

const std::size_t kRecordBytes = sizeof(rpc::IpScope);

KernelRange kernel_range(uint32_t start, uint32_t end, uint32_t timeout) {
  return KernelRange{start, end, timeout};
}

}  // namespace

CIpRuleSet::Clock CIpRuleSet::steady_clock() {
  return [] {
    return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count());
  };
}

CIpRuleSet::CIpRuleSet(IKernelFilter& kernel, const std::string& state_path, Clock clock)
    : kernel_(kernel),
      state_path_(state_path),
      clock_(clock),
      open_(false),
      enforcing_(false),
      kernel_failure_logged_(false),
      persis_(true) {}

int CIpRuleSet::open(const std::vector<rpc::IpScope>& persistent, const Switches& switches) {
  std::lock_guard<std::mutex> lock(mutex_);
  clear_temp_locked();
  persis_.clear();
  std::vector<KernelRange> ranges;
  for (const rpc::IpScope& scope : persistent) {
    if (!CIpRange::valid(scope.start_ip, scope.end_ip)) continue;
    if (persis_.put(scope.start_ip, scope.end_ip, CIpRangeMap::Entry{0, 0}))
      ranges.push_back(kernel_range(scope.start_ip, scope.end_ip, 0));
  }
  switches_ = switches;
  kernel_failure_logged_ = false;
  enforcing_ = kernel_.open();
  if (!enforcing_) {
    FW_LOG_FAILURE(this, "IP过滤: 内核拦截不可用(ip_set/iptables/权限), 规则只在内存中生效");
  } else {
    // Fill-and-swap: the persistent bans stay matched throughout.
    check_kernel(kernel_.replace(KernelSet::kPersis, ranges), "重建永久集合");
    check_kernel(kernel_.replace(KernelSet::kTemp, std::vector<KernelRange>()), "重建临时集合");
    check_kernel(kernel_.apply_switches(switches_.filter_on, switches_.persis_on), "设置规则");
  }
  open_ = true;
  return kIpfOk;
}

void CIpRuleSet::close() {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = false;
  clear_temp_locked();
  persis_.clear();
}

bool CIpRuleSet::enforcing() {
  std::lock_guard<std::mutex> lock(mutex_);
  return enforcing_;
}

int64_t CIpRuleSet::expire() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return -1;
  const int64_t now = clock_();
  purge_locked(now);
  if (expiry_.empty()) return -1;
  return expiry_.top().first > now ? expiry_.top().first - now : 0;
}

void CIpRuleSet::check_kernel(bool ok, const char* what) {
  if (ok || !enforcing_) {
    if (ok) kernel_failure_logged_ = false;
    return;
  }
  if (kernel_failure_logged_) return;
  kernel_failure_logged_ = true;
  char* text = fwbase::IRunLog::FormatStr("IP过滤: 内核操作失败: %s (之后的失败不再记录)", what);
  FW_LOG_FAILURE(this, text);
  std::free(text);
}

uint32_t CIpRuleSet::kernel_timeout(const CIpRangeMap::Entry& entry, int64_t now) const {
  if (entry.time_out > kMaxKernelTimeout) return 0;
  const int64_t left = entry.deadline_ms - now;
  const int64_t seconds = left <= 0 ? 1 : (left + 999) / 1000;
  return static_cast<uint32_t>(seconds);
}

void CIpRuleSet::clear_temp_locked() {
  temp_.clear();
  expiry_ = decltype(expiry_)();
}

void CIpRuleSet::unmirror_locked(KernelSet set, const CIpRangeMap& list, uint32_t start,
                                 uint32_t end, int64_t now) {
  if (!enforcing_) return;
  check_kernel(kernel_.remove(set, start, end), "删除");
  std::vector<KernelRange> still_covered;
  list.for_each_overlap(start, end, [&](uint32_t s, uint32_t e, const CIpRangeMap::Entry& entry) {
    still_covered.push_back(kernel_range(s > start ? s : start, e < end ? e : end,
                                         set == KernelSet::kTemp ? kernel_timeout(entry, now) : 0));
  });
  if (!still_covered.empty()) check_kernel(kernel_.add(set, still_covered), "补回重叠部分");
}

void CIpRuleSet::purge_locked(int64_t now) {
  while (!expiry_.empty() && expiry_.top().first <= now) {
    const Deadline due = expiry_.top();
    expiry_.pop();
    const uint32_t start = CIpRangeMap::start_of(due.second);
    const uint32_t end = CIpRangeMap::end_of(due.second);
    const CIpRangeMap::Entry* entry = temp_.find(start, end);
    if (entry == nullptr || entry->deadline_ms != due.first) continue;  // stale
    temp_.erase(start, end);
    unmirror_locked(KernelSet::kTemp, temp_, start, end, now);
  }
  // Updates leave stale items behind; rebuild once they dominate.
  if (expiry_.size() > 2 * temp_.size() + 1024) {
    std::vector<Deadline> live;
    live.reserve(temp_.size());
    for (const auto& item : temp_.entries()) live.emplace_back(item.second.deadline_ms, item.first);
    expiry_ = decltype(expiry_)(std::greater<Deadline>(), std::move(live));
  }
}

int CIpRuleSet::add_scope(const rpc::IpScope* scope) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kIpfNotOpen;
  if (scope == nullptr || !CIpRange::valid(scope->start_ip, scope->end_ip)) return kIpfBadArgument;
  const int64_t now = clock_();
  purge_locked(now);
  try {
    return add_locked(*scope, now);
  } catch (const std::bad_alloc&) {
    return kIpfNoMemory;
  }
}

int CIpRuleSet::add_locked(const rpc::IpScope& scope, int64_t now) {
  const uint32_t start = scope.start_ip, end = scope.end_ip;
  const bool persistent = scope.time_out == 0;
  CIpRangeMap& list = persistent ? persis_ : temp_;
  CIpRangeMap& other = persistent ? temp_ : persis_;
  const bool in_other = other.find(start, end) != nullptr;
  if (!in_other && list.find(start, end) == nullptr &&
      temp_.size() + persis_.size() >= CRuleFile::kMaxEntries)
    return kIpfNoMemory;

  if (persistent) {
    if (!list.put(start, end, CIpRangeMap::Entry{0, 0}) && !in_other) return kIpfOk;
  } else {
    const CIpRangeMap::Entry entry{scope.time_out, now + int64_t(scope.time_out) * 1000};
    expiry_.emplace(entry.deadline_ms, CIpRangeMap::key(start, end));
    list.put(start, end, entry);
  }
  if (in_other) {
    other.erase(start, end);
    unmirror_locked(persistent ? KernelSet::kTemp : KernelSet::kPersis, other, start, end, now);
  }
  if (!enforcing_) return kIpfOk;

  std::vector<KernelRange> ranges;
  if (persistent) {
    ranges.push_back(kernel_range(start, end, 0));
    check_kernel(kernel_.add(KernelSet::kPersis, ranges), "添加永久");
    return kIpfOk;
  }
  const CIpRangeMap::Entry& added = *list.find(start, end);
  ranges.push_back(kernel_range(start, end, kernel_timeout(added, now)));
  // Shared blocks took this entry's time-out; give the parts of longer-lived
  // overlapping entries their own back.
  list.for_each_overlap(start, end, [&](uint32_t s, uint32_t e, const CIpRangeMap::Entry& entry) {
    if (entry.deadline_ms > added.deadline_ms || entry.time_out > kMaxKernelTimeout)
      ranges.push_back(
          kernel_range(s > start ? s : start, e < end ? e : end, kernel_timeout(entry, now)));
  });
  check_kernel(kernel_.add(KernelSet::kTemp, ranges), "添加临时");
  return kIpfOk;
}

int CIpRuleSet::del_scope(const rpc::IpScope* scope) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kIpfNotOpen;
  if (scope == nullptr || !CIpRange::valid(scope->start_ip, scope->end_ip)) return kIpfBadArgument;
  const int64_t now = clock_();
  purge_locked(now);
  const uint32_t start = scope->start_ip, end = scope->end_ip;
  if (temp_.erase(start, end)) {
    unmirror_locked(KernelSet::kTemp, temp_, start, end, now);
  } else if (persis_.erase(start, end)) {
    unmirror_locked(KernelSet::kPersis, persis_, start, end, now);
  } else {
    return kIpfNotFound;
  }
  return kIpfOk;
}

int CIpRuleSet::set_switches(bool Switches::*which, bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kIpfNotOpen;
  if (switches_.*which == on) return kIpfOk;
  Switches next = switches_;
  next.*which = on;
  if (!state_path_.empty() && !CFilterState::save(state_path_, next)) {
    char* text = fwbase::IRunLog::FormatStr("IP过滤: 无法保存开关状态: %s", state_path_.c_str());
    FW_LOG_FAILURE(this, text);
    std::free(text);
    return kIpfIo;
  }
  switches_ = next;
  if (enforcing_)
    check_kernel(kernel_.apply_switches(switches_.filter_on, switches_.persis_on), "设置规则");
  return kIpfOk;
}

int CIpRuleSet::start_filter() { return set_switches(&Switches::filter_on, true); }
int CIpRuleSet::stop_filter() { return set_switches(&Switches::filter_on, false); }
int CIpRuleSet::start_persis() { return set_switches(&Switches::persis_on, true); }
int CIpRuleSet::stop_persis() { return set_switches(&Switches::persis_on, false); }

int CIpRuleSet::clear_all() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kIpfNotOpen;
  clear_temp_locked();
  persis_.clear();
  if (enforcing_) {
    check_kernel(kernel_.flush(KernelSet::kTemp), "清空临时集合");
    check_kernel(kernel_.flush(KernelSet::kPersis), "清空永久集合");
  }
  return kIpfOk;
}

int CIpRuleSet::clear_temp() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kIpfNotOpen;
  clear_temp_locked();
  if (enforcing_) check_kernel(kernel_.flush(KernelSet::kTemp), "清空临时集合");
  return kIpfOk;
}

int CIpRuleSet::clear_persis() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kIpfNotOpen;
  persis_.clear();
  if (enforcing_) check_kernel(kernel_.flush(KernelSet::kPersis), "清空永久集合");
  return kIpfOk;
}

int CIpRuleSet::query_all(void* buffer, unsigned int capacity, unsigned int& size) {
  return query(Which::kAll, buffer, capacity, size);
}
int CIpRuleSet::query_temp(void* buffer, unsigned int capacity, unsigned int& size) {
  return query(Which::kTemp, buffer, capacity, size);
}
int CIpRuleSet::query_persis(void* buffer, unsigned int capacity, unsigned int& size) {
  return query(Which::kPersis, buffer, capacity, size);
}

int CIpRuleSet::query(Which which, void* buffer, unsigned int capacity, unsigned int& size) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return kIpfNotOpen;
  purge_locked(clock_());
  const CIpRangeMap::Map empty;
  const CIpRangeMap::Map& temp = which == Which::kPersis ? empty : temp_.entries();
  const CIpRangeMap::Map& persis = which == Which::kTemp ? empty : persis_.entries();
  // At most kMaxEntries records: the byte count fits an unsigned int.
  const std::size_t bytes = (temp.size() + persis.size()) * kRecordBytes;
  size = static_cast<unsigned int>(bytes);
  if (bytes == 0) return kIpfOk;
  if (buffer == nullptr || capacity < bytes) return kIpfBufferTooSmall;

  // Merge the two ordered lists into one ascending run of records.
  unsigned char* out = static_cast<unsigned char*>(buffer);
  auto t = temp.begin(), p = persis.begin();
  while (t != temp.end() || p != persis.end()) {
    const bool take_temp = p == persis.end() || (t != temp.end() && t->first < p->first);
    const auto& item = take_temp ? *t++ : *p++;
    const rpc::IpScope record{CIpRangeMap::start_of(item.first), CIpRangeMap::end_of(item.first),
                              item.second.time_out};
    std::memcpy(out, &record, kRecordBytes);
    out += kRecordBytes;
  }
  return kIpfOk;
}

// The persistent list is written whole on the first save to a path, after a
// clear, when the file changed behind our back, and when the journal would
// outgrow the list (so a list of n ranges is rewritten only after at least n
// journaled changes). In between, a save appends the changes: one short
// write and one sync instead of a rewrite.
int CIpRuleSet::save_persis(const char* path) {
  if (path == nullptr || *path == '\0') return kIpfBadArgument;
  std::lock_guard<std::mutex> save_lock(save_mutex_);
  // The file is looked at before the list is locked: queries and adds need
  // not wait for a stat.
  const bool file_as_left = last_file_as_left(path);
  std::vector<RangeChange> changes;
  bool journal = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) return kIpfNotOpen;
    journal = persis_.take_changes(changes) && file_as_left &&
              last_save_.journal_lines + changes.size() <= std::max(kMinJournal, persis_.size());
    if (journal && changes.empty()) return kIpfOk;
  }
  if (journal && append_changes(path, changes)) return kIpfOk;
  return save_whole(path);
}

bool CIpRuleSet::last_file_as_left(const std::string& path) const {
  if (last_save_.path != path) return false;
  const FileStamp now = FileStamp::of(path);
  return now == last_save_.stamp &&
         static_cast<std::size_t>(now.size) < CRuleFile::kMaxJournaledBytes;
}

bool CIpRuleSet::append_changes(const std::string& path, const std::vector<RangeChange>& changes) {
  if (!CRuleFile::append(path, changes)) return false;  // a cut line: rewrite whole
  last_save_.stamp = FileStamp::of(path);
  last_save_.journal_lines += changes.size();
  return true;
}

int CIpRuleSet::save_whole(const std::string& path) {
  last_save_.path.clear();
  std::vector<rpc::IpScope> ranges;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) return kIpfNotOpen;
    // The list written includes every change noted so far.
    std::vector<RangeChange> written;
    persis_.take_changes(written);
    try {
      ranges.reserve(persis_.size());
      for (const auto& item : persis_.entries())
        ranges.push_back(
            rpc::IpScope{CIpRangeMap::start_of(item.first), CIpRangeMap::end_of(item.first), 0});
    } catch (const std::bad_alloc&) {
      return kIpfNoMemory;
    }
  }
  if (CRuleFile::save(path, ranges)) {
    last_save_.path = path;
    last_save_.stamp = FileStamp::of(path);
    last_save_.journal_lines = 0;
    return kIpfOk;
  }
  char* text = fwbase::IRunLog::FormatStr("IP过滤: 无法写入规则文件: %s", path.c_str());
  FW_LOG_FAILURE(this, text);
  std::free(text);
  return kIpfIo;
}

}  // namespace ipfilter
