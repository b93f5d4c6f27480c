// A kernel filter that behaves like two hash:net sets in memory: ranges are
// stored as CIDR blocks with their time-outs, a removal takes away exactly
// the blocks of the range, and membership is the union of the blocks. Its own
// mutex lets a test look at the sets while a rule-set thread changes them.
#ifndef PLATFORM_IPFILTER_TESTS_FAKEKERNELFILTER_H_
#define PLATFORM_IPFILTER_TESTS_FAKEKERNELFILTER_H_

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/ipfilter/CIpRange.h"
#include "platform/ipfilter/IKernelFilter.h"

namespace ipfilter {

class FakeKernelFilter : public IKernelFilter {
 public:
  typedef std::map<std::pair<uint32_t, int>, uint32_t> Blocks;  // (ip, prefix) -> timeout

  bool open_result = true;
  int opens = 0;
  int replaces = 0;
  bool filter_on = false;
  bool persis_on = false;
  int switch_calls = 0;
  bool removed_all = false;

  bool open() override {
    ++opens;
    return open_result;
  }
  bool replace(KernelSet set, const std::vector<KernelRange>& ranges) override {
    ++replaces;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      blocks(set).clear();
    }
    return add(set, ranges);
  }
  bool add(KernelSet set, const std::vector<KernelRange>& ranges) override {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const KernelRange& range : ranges) {
      std::vector<Cidr> cidrs;
      CIpRange::to_cidrs(range.start, range.end, cidrs);
      for (const Cidr& c : cidrs)
        blocks(set)[{c.ip, c.prefix}] = set == KernelSet::kTemp ? range.timeout : 0;
    }
    return true;
  }
  bool remove(KernelSet set, uint32_t start, uint32_t end) override {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Cidr> cidrs;
    CIpRange::to_cidrs(start, end, cidrs);
    for (const Cidr& c : cidrs) blocks(set).erase({c.ip, c.prefix});
    return true;
  }
  bool flush(KernelSet set) override {
    std::lock_guard<std::mutex> lock(mutex_);
    blocks(set).clear();
    return true;
  }
  bool apply_switches(bool filter, bool persis) override {
    ++switch_calls;
    filter_on = filter;
    persis_on = persis;
    return true;
  }
  void remove_kernel_state() override {
    removed_all = true;
    temp.clear();
    persis.clear();
  }

  // The time-out of the block holding `ip` in `set`; -1 when none holds it.
  long timeout_of(KernelSet set, uint32_t ip) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& block : set == KernelSet::kTemp ? temp : persis) {
      const int prefix = block.first.second;
      const uint32_t mask = prefix == 0 ? 0 : ~uint32_t(0) << (32 - prefix);
      if ((ip & mask) == block.first.first) return static_cast<long>(block.second);
    }
    return -1;
  }
  bool member(KernelSet set, uint32_t ip) const { return timeout_of(set, ip) >= 0; }

  Blocks temp;
  Blocks persis;

 private:
  mutable std::mutex mutex_;
  Blocks& blocks(KernelSet set) { return set == KernelSet::kTemp ? temp : persis; }
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_TESTS_FAKEKERNELFILTER_H_
