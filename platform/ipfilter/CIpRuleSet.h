// The rule set: the authoritative list of blocked ranges in memory, mirrored
// into the kernel through an IKernelFilter.
//
// Two lists: persistent ranges (time_out 0) and temporary ones, which expire
// time_out seconds after they were (last) added, by a monotonic clock. A
// range is held once, keyed by (start, end); adding it again updates its
// time-out and list. The kernel sets always hold the union of the ranges of
// their list: removing or expiring a range re-adds the parts other ranges of
// the same list still cover.
//
// Thread-safe: one mutex guards everything; the kernel filter is only called
// under it. Every IIpRuleSet operation answers kIpfNotOpen until open() and
// after close(). Kernel failures never change a status: the lists stay the
// authority, and the first failure after a success is logged once.
#ifndef PLATFORM_IPFILTER_CIPRULESET_H_
#define PLATFORM_IPFILTER_CIPRULESET_H_

#include <cstdint>
#include <functional>
#include <mutex>
#include <queue>
#include <string>
#include <utility>
#include <vector>

#include "platform/ipfilter/CFilterState.h"
#include "platform/ipfilter/CIpRangeMap.h"
#include "platform/ipfilter/FileStamp.h"
#include "platform/ipfilter/IKernelFilter.h"
#include "platform/ipfilter/ISecModelIpFilter.h"

namespace ipfilter {

class CIpRuleSet : public IIpRuleSet {
 public:
  // Monotonic milliseconds.
  typedef std::function<int64_t()> Clock;
  static Clock steady_clock();

  // The largest per-element time-out the kernel takes; longer temporary
  // entries go in without a kernel time-out and are removed by expire().
  static const uint32_t kMaxKernelTimeout = 2147483;

  // `kernel` must outlive the rule set. `state_path` receives the switches
  // when they change (empty: not kept).
  CIpRuleSet(IKernelFilter& kernel, const std::string& state_path, Clock clock);
  ~CIpRuleSet() override {}
  CIpRuleSet(const CIpRuleSet&) = delete;
  CIpRuleSet& operator=(const CIpRuleSet&) = delete;

  // Starts answering with `persistent` as the persistent list, no temporary
  // entries and the given switches, and rebuilds the kernel sets from them.
  // Invalid ranges in `persistent` are skipped. Always kIpfOk; without the
  // kernel path it says so once in the run log and filters in memory only.
  int open(const std::vector<rpc::IpScope>& persistent, const Switches& switches);
  // Stops answering (kIpfNotOpen) and drops the lists; the kernel sets and
  // rules are left in place for the next open().
  void close();
  // Removes the expired temporary entries. Returns the milliseconds until
  // the next one expires, or -1 when none is pending or the set is closed.
  int64_t expire();
  // Whether the kernel path is in use (set by open()).
  bool enforcing();

  int start_filter() override;
  int stop_filter() override;
  int add_scope(const rpc::IpScope* scope) override;
  int del_scope(const rpc::IpScope* scope) override;
  int start_persis() override;
  int stop_persis() override;
  int clear_all() override;
  int clear_temp() override;
  int clear_persis() override;
  int query_all(void* buffer, unsigned int capacity, unsigned int& size) override;
  int query_temp(void* buffer, unsigned int capacity, unsigned int& size) override;
  int query_persis(void* buffer, unsigned int capacity, unsigned int& size) override;
  int save_persis(const char* path) override;

 private:
  enum class Which { kAll, kTemp, kPersis };
  typedef std::pair<int64_t, uint64_t> Deadline;  // (deadline_ms, key)

  int add_locked(const rpc::IpScope& scope, int64_t now);
  int set_switches(bool Switches::*which, bool on);
  int query(Which which, void* buffer, unsigned int capacity, unsigned int& size);
  void purge_locked(int64_t now);
  // Takes [start, end] out of the kernel set of `list` and re-adds the parts
  // the remaining ranges of `list` still cover.
  void unmirror_locked(KernelSet set, const CIpRangeMap& list, uint32_t start, uint32_t end,
                       int64_t now);
  uint32_t kernel_timeout(const CIpRangeMap::Entry& entry, int64_t now) const;
  void check_kernel(bool ok, const char* what);
  void clear_temp_locked();
  // The steps of save_persis, under save_mutex_. last_file_as_left: the
  // last file written is `path`, untouched since and small enough to append to.
  bool last_file_as_left(const std::string& path) const;
  bool append_changes(const std::string& path, const std::vector<RangeChange>& changes);
  int save_whole(const std::string& path);

  // Below this many journal lines a file is never rewritten for its journal.
  static const std::size_t kMinJournal = 4096;

  IKernelFilter& kernel_;
  const std::string state_path_;
  const Clock clock_;

  std::mutex mutex_;  // guards everything below and every kernel_ call
  bool open_;
  bool enforcing_;
  bool kernel_failure_logged_;
  Switches switches_;
  CIpRangeMap temp_;
  CIpRangeMap persis_;
  // Expiry order of temporary entries. Stale items (updated or removed
  // entries) are skipped when they come up and dropped in a rebuild.
  std::priority_queue<Deadline, std::vector<Deadline>, std::greater<Deadline> > expiry_;

  std::mutex save_mutex_;  // orders the writers of rule files; guards last_save_
  // The file save_persis last wrote and what it holds: while nobody else
  // touches it, later saves to it append the changes of the persistent list
  // as journal lines instead of writing it whole.
  struct SavedFile {
    std::string path;  // empty: the next save writes whole
    FileStamp stamp;
    std::size_t journal_lines = 0;
  };
  SavedFile last_save_;
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CIPRULESET_H_
