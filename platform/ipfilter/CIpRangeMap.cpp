#include "platform/ipfilter/CIpRangeMap.h"

#include <new>

namespace ipfilter {

CIpRangeMap::Entry* CIpRangeMap::find(uint32_t start, uint32_t end) {
  auto it = map_.find(key(start, end));
  return it == map_.end() ? nullptr : &it->second;
}

bool CIpRangeMap::put(uint32_t start, uint32_t end, const Entry& entry) {
  auto result = map_.emplace(key(start, end), entry);
  if (!result.second) {
    result.first->second = entry;
    return false;
  }
  ++spans_[end - start];
  note(true, start, end);
  return true;
}

bool CIpRangeMap::erase(uint32_t start, uint32_t end) {
  if (map_.erase(key(start, end)) == 0) return false;
  note(false, start, end);
  auto span = spans_.find(end - start);
  if (span != spans_.end() && --span->second == 0) spans_.erase(span);
  return true;
}

void CIpRangeMap::clear() {
  map_.clear();
  spans_.clear();
  changes_.clear();
  changes_lost_ = true;
}

void CIpRangeMap::note(bool added, uint32_t start, uint32_t end) {
  if (!recording_ || changes_lost_) return;
  if (changes_.size() >= kMaxChanges) {
    changes_.clear();
    changes_lost_ = true;
    return;
  }
  try {
    changes_.push_back(RangeChange{added, start, end});
  } catch (const std::bad_alloc&) {
    changes_.clear();
    changes_lost_ = true;
  }
}

bool CIpRangeMap::take_changes(std::vector<RangeChange>& changes) {
  changes.clear();
  const bool kept = !changes_lost_;
  if (kept) changes.swap(changes_);
  changes_.clear();
  changes_lost_ = false;
  return kept;
}

}  // namespace ipfilter
