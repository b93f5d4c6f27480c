// The ranges of one list (temporary or persistent), keyed by (start, end) in
// ascending order, with a lookup of the ranges that overlap a given one.
// Not thread-safe: the owner (CIpRuleSet) guards it with its mutex.
#ifndef PLATFORM_IPFILTER_CIPRANGEMAP_H_
#define PLATFORM_IPFILTER_CIPRANGEMAP_H_

#include <cstdint>
#include <map>
#include <vector>

#include "platform/ipfilter/CIpRange.h"

namespace ipfilter {

class CIpRangeMap {
 public:
  struct Entry {
    uint32_t time_out;    // seconds as given; 0 for persistent entries
    int64_t deadline_ms;  // monotonic expiry time; unused for persistent entries
  };
  typedef std::map<uint64_t, Entry> Map;

  // At most this many changes are kept between two take_changes(); beyond,
  // and after a clear(), only "too many to list" is.
  static const std::size_t kMaxChanges = 65536;

  // `record_changes`: keep the changes for take_changes().
  explicit CIpRangeMap(bool record_changes = false)
      : recording_(record_changes), changes_lost_(false) {}
  CIpRangeMap(const CIpRangeMap&) = delete;
  CIpRangeMap& operator=(const CIpRangeMap&) = delete;

  static uint64_t key(uint32_t start, uint32_t end) { return (uint64_t(start) << 32) | end; }
  static uint32_t start_of(uint64_t key) { return static_cast<uint32_t>(key >> 32); }
  static uint32_t end_of(uint64_t key) { return static_cast<uint32_t>(key); }

  // Null when absent. The pointer stays valid until the entry is erased.
  Entry* find(uint32_t start, uint32_t end);
  // Inserts or overwrites. True when the range was not there before.
  bool put(uint32_t start, uint32_t end, const Entry& entry);
  // True when the range was there.
  bool erase(uint32_t start, uint32_t end);
  void clear();

  std::size_t size() const { return map_.size(); }
  const Map& entries() const { return map_; }
  // The ranges added and removed since the last call, in order, into
  // `changes`; false when they could not all be kept (then `changes` is
  // empty). Overwriting a held range's entry is no change of the set.
  bool take_changes(std::vector<RangeChange>& changes);

  // Calls `visit(start, end, entry)` for every range other than
  // [start, end] itself that shares at least one address with it, in
  // ascending order. The cost grows with the widest range held.
  template <class Visit>
  void for_each_overlap(uint32_t start, uint32_t end, Visit visit) const {
    const uint32_t widest = widest_span();
    const uint32_t from = start > widest ? start - widest : 0;
    for (auto it = map_.lower_bound(key(from, 0)); it != map_.end(); ++it) {
      const uint32_t s = start_of(it->first), e = end_of(it->first);
      if (s > end) break;
      if (e < start || (s == start && e == end)) continue;
      visit(s, e, it->second);
    }
  }

 private:
  uint32_t widest_span() const { return spans_.empty() ? 0 : spans_.rbegin()->first; }

  void note(bool added, uint32_t start, uint32_t end);

  Map map_;
  const bool recording_;
  std::vector<RangeChange> changes_;
  bool changes_lost_;
  // end - start of the held ranges -> how many ranges have it; bounds the
  // search for overlaps.
  std::map<uint32_t, uint32_t> spans_;
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CIPRANGEMAP_H_
