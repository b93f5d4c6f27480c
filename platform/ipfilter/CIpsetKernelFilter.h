// Enforcement through two ipset hash:net sets (temporary, with per-element
// time-outs; persistent) and an iptables chain that drops their sources.
// Ranges go to the kernel as the exact CIDR blocks they consist of.
//
// Not thread-safe; the rule set calls it under its mutex (see IKernelFilter).
#ifndef PLATFORM_IPFILTER_CIPSETKERNELFILTER_H_
#define PLATFORM_IPFILTER_CIPSETKERNELFILTER_H_

#include <string>
#include <vector>

#include "platform/ipfilter/CIpsetSocket.h"
#include "platform/ipfilter/CIptablesChain.h"
#include "platform/ipfilter/IKernelFilter.h"

namespace ipfilter {

class CIpsetKernelFilter : public IKernelFilter {
 public:
  struct Names {
    std::string temp_set = "zelmor_bl_temp";
    std::string persis_set = "zelmor_bl_persis";
    std::string chain = "ZELMOR_BLACKLIST";
  };

  CIpsetKernelFilter() : CIpsetKernelFilter(Names()) {}
  explicit CIpsetKernelFilter(const Names& names);
  CIpsetKernelFilter(const CIpsetKernelFilter&) = delete;
  CIpsetKernelFilter& operator=(const CIpsetKernelFilter&) = delete;

  bool open() override;
  bool replace(KernelSet set, const std::vector<KernelRange>& ranges) override;
  bool add(KernelSet set, const std::vector<KernelRange>& ranges) override;
  bool remove(KernelSet set, uint32_t start, uint32_t end) override;
  bool flush(KernelSet set) override;
  bool apply_switches(bool filter_on, bool persis_on) override;
  void remove_kernel_state() override;

 private:
  const std::string& name(KernelSet set) const;
  static std::vector<IpsetElement> elements(const std::vector<KernelRange>& ranges);

  const Names names_;
  CIpsetSocket socket_;
  CIptablesChain chain_;
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CIPSETKERNELFILTER_H_
