#include "platform/ipfilter/CIpRangeMap.h"

namespace ipfilter {

CIpRangeMap::Entry* CIpRangeMap::find(uint32_t start, uint32_t end) {
  auto it = map_.find(key(start, end));
  return it == map_.end() ? nullptr : &it->second;
}

bool CIpRangeMap::put(uint32_t start, uint32_t end, const Entry& entry) {
  ++version_;
  auto result = map_.emplace(key(start, end), entry);
  if (!result.second) {
    result.first->second = entry;
    return false;
  }
  ++spans_[end - start];
  return true;
}

bool CIpRangeMap::erase(uint32_t start, uint32_t end) {
  if (map_.erase(key(start, end)) == 0) return false;
  ++version_;
  auto span = spans_.find(end - start);
  if (span != spans_.end() && --span->second == 0) spans_.erase(span);
  return true;
}

void CIpRangeMap::clear() {
  ++version_;
  map_.clear();
  spans_.clear();
}

}  // namespace ipfilter
