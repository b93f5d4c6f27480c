// The process's module object: the agent's rule and state files below the
// install directory, enforced through ipset sets and an iptables chain.
#include "platform/ipfilter/ISecModelIpFilter.h"

#include <string>

#include "platform/ipfilter/CIpsetKernelFilter.h"
#include "platform/ipfilter/CSecModelIpFilter.h"
#include "utility/CUnixHelper.h"

namespace {

const char kRuleFile[] = "/sec_policy/ip_blacklist.pol";
const char kStateFile[] = "/sec_policy/ip_filter.state";

}  // namespace

ISecModelIpFilter* ISecModelIpFilter::instance() {
  static ipfilter::CIpsetKernelFilter kernel;
  static ipfilter::CSecModelIpFilter module(utility::CUnixHelper::get_zelmor_path() + kRuleFile,
                                            utility::CUnixHelper::get_zelmor_path() + kStateFile,
                                            kernel);
  return &module;
}
