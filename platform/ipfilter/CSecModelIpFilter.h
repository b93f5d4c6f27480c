// The packet-filter module: owns the rule set, loads the persistent entries
// and the switches at open(), and runs the thread that expires temporary
// entries while open.
//
// Thread-safe: init/open/close/release are serialized by their own mutex;
// the rule set has its own. The kernel filter must outlive the module.
#ifndef PLATFORM_IPFILTER_CSECMODELIPFILTER_H_
#define PLATFORM_IPFILTER_CSECMODELIPFILTER_H_

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/ipfilter/CIpRuleSet.h"
#include "platform/ipfilter/IKernelFilter.h"
#include "platform/ipfilter/ISecModelIpFilter.h"

namespace ipfilter {

class CSecModelIpFilter : public ISecModelIpFilter {
 public:
  // `rule_path`: the persistent entries read at open(); `state_path`: the
  // switches. Neither is written except through the rule set's operations.
  CSecModelIpFilter(const std::string& rule_path, const std::string& state_path,
                    IKernelFilter& kernel, CIpRuleSet::Clock clock = CIpRuleSet::steady_clock());
  ~CSecModelIpFilter() override;
  CSecModelIpFilter(const CSecModelIpFilter&) = delete;
  CSecModelIpFilter& operator=(const CSecModelIpFilter&) = delete;

  int init() override { return kIpfOk; }
  // Loads the rule file (missing: empty list; malformed lines skipped and
  // logged) and the switches, rebuilds the kernel state and starts the
  // expiry thread. Opening an open module reloads it. 0 on success.
  int open() override;
  // Stops the expiry thread; the rule set answers kIpfNotOpen afterwards.
  // The kernel sets and rules stay, so a restart has no unprotected moment.
  int close() override;
  void release() override { close(); }
  IIpRuleSet* rules() override { return &rules_; }

  CIpRuleSet& rule_set() { return rules_; }
  // Takes away everything the module put in the kernel. For tests and
  // uninstallation; call it while closed.
  void remove_kernel_state() { kernel_.remove_kernel_state(); }

 private:
  void stop_thread();
  void expiry_loop();

  const std::string rule_path_;
  const std::string state_path_;
  IKernelFilter& kernel_;
  CIpRuleSet rules_;

  std::mutex lifecycle_mutex_;  // serializes open/close
  std::mutex thread_mutex_;     // guards stop_ for the expiry thread
  std::condition_variable wake_;
  bool stop_;
  std::thread expiry_thread_;
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CSECMODELIPFILTER_H_
