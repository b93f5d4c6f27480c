// The kernel side of the packet filter as the rule set drives it: two sets of
// address ranges (temporary and persistent) and the drop rules that match
// them. Implementations: CIpsetKernelFilter (ipset sets and an iptables
// chain) and CNullKernelFilter (nothing, for hosts without the kernel path).
//
// Calls come from one thread at a time (the rule set's mutex); an
// implementation needs no lock of its own. Every operation returns false when
// the kernel refused it; the rule set stays the authority either way.
#ifndef PLATFORM_IPFILTER_IKERNELFILTER_H_
#define PLATFORM_IPFILTER_IKERNELFILTER_H_

#include <cstdint>
#include <vector>

namespace ipfilter {

enum class KernelSet { kTemp, kPersis };

// One range for the kernel. `timeout` is the kernel's own expiry in seconds
// for the temporary set (0 = none); it is ignored for the persistent set.
struct KernelRange {
  uint32_t start;
  uint32_t end;
  uint32_t timeout;
};

class IKernelFilter {
 public:
  virtual ~IKernelFilter() {}

  // Makes sure the sets and the chain exist. False when enforcement is not
  // possible here (no ip_set support, no permission, no iptables).
  virtual bool open() = 0;
  // Replaces the whole content of a set by `ranges` without a moment in
  // which the old members are unmatched (a new set is filled, then swapped).
  virtual bool replace(KernelSet set, const std::vector<KernelRange>& ranges) = 0;
  // Adds ranges (an element already there gets the new timeout).
  virtual bool add(KernelSet set, const std::vector<KernelRange>& ranges) = 0;
  // Removes the blocks of [start, end] from the set; the caller re-adds the
  // parts other ranges still cover.
  virtual bool remove(KernelSet set, uint32_t start, uint32_t end) = 0;
  virtual bool flush(KernelSet set) = 0;
  // Drop rules: the temporary set is matched while `filter_on`, the
  // persistent one while both switches are on.
  virtual bool apply_switches(bool filter_on, bool persis_on) = 0;
  // Takes away everything this filter put in the kernel (rules, chain, sets).
  virtual void remove_kernel_state() = 0;
};

// Enforcement off: accepts everything and does nothing. open() fails so the
// rule set says once that enforcement is off.
class CNullKernelFilter : public IKernelFilter {
 public:
  bool open() override { return false; }
  bool replace(KernelSet, const std::vector<KernelRange>&) override { return true; }
  bool add(KernelSet, const std::vector<KernelRange>&) override { return true; }
  bool remove(KernelSet, uint32_t, uint32_t) override { return true; }
  bool flush(KernelSet) override { return true; }
  bool apply_switches(bool, bool) override { return true; }
  void remove_kernel_state() override {}
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_IKERNELFILTER_H_
