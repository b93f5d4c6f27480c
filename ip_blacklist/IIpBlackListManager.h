// The IP blacklist manager: drives the packet-filter module for the RPC
// interface IIpBlackListManager, keeps the rule file of the persistent
// entries up to date, logs every addition to "./runlog/ip_blacklist.txt"
// and runs the intake thread that takes additions from other processes.
//
// Thread safety: every method may be called from the RPC threads and the
// intake thread at once, between init() and release(). `lock` (write side
// only) serializes each add_scope with the rule-file save that follows it
// and the saves after a delete or a clear of the persistent list; the other
// filter operations rely on the filter module's own safety. Before init()
// and after release() every operation answers ec::kBlNotOpen.
//
// Results are the ec::kBl... codes of ip_blacklist/BlacklistCodes.h.
#ifndef IP_BLACKLIST_IIPBLACKLISTMANAGER_H_
#define IP_BLACKLIST_IIPBLACKLISTMANAGER_H_

#include <ace/RW_Thread_Mutex.h>

#include <atomic>
#include <string>
#include <vector>

#include "frame/rpc.h"
#include "ip_blacklist/BlacklistCodes.h"
#include "ip_blacklist/CUnixAddIp.h"
#include "ip_blacklist/IpScopeRecord.h"
#include "platform/ipfilter/ISecModelIpFilter.h"
#include "utility/CDiyLog.h"

namespace rpc {

class CIfaceRealize_IIpBlackListManager;

class IIpBlackListManager {
 public:
  // Entries per intermediate query reply.
  static constexpr std::size_t kReplyBatch = 2000;
  static constexpr std::size_t kRulePathBuffer = 4096;

  IIpBlackListManager() = default;
  IIpBlackListManager(const IIpBlackListManager&) = delete;
  IIpBlackListManager& operator=(const IIpBlackListManager&) = delete;

  // Opens the filter module, builds the rule path, opens the log and starts
  // the intake thread (whose failure is ignored). kBlInitFailed or
  // kBlOpenFailed when the module refuses.
  ec::EC init(void* argument);
  // Closes and releases the filter module. The intake thread keeps running.
  void release();
  // Rebuilds rule_path from the install directory: "<dir>/sec_policy/
  // ip_blacklist.pol", or empty when that does not fit kRulePathBuffer.
  std::string& get_rule_path();

  ec::EC start_ip_filter(ICommand* command);
  ec::EC stop_ip_filter(ICommand* command);
  // Logs the range, then adds it; a persistent one (time_out 0) is saved to
  // the rule file. kBlAddFailed (logged) when the filter refuses it.
  ec::EC add_ip_scope_into_blacklist(ICommand* command, const IpScope& scope);
  // Adds in order, stopping at the first refusal; ranges added before it
  // stay. The rule file is saved once if a persistent range was added.
  ec::EC add_ip_scope_into_blacklist2(ICommand* command, const std::vector<IpScope>& scopes);
  // Removes the range with the same start and end and saves the rule file.
  ec::EC del_ip_scope_into_blacklist(ICommand* command, const IpScope& scope);
  ec::EC start_ip_persis_blacklist(ICommand* command);
  ec::EC stop_ip_persis_blacklist(ICommand* command);
  ec::EC clear_ip_blacklist(ICommand* command);
  ec::EC clear_ip_temp_blacklist(ICommand* command);
  // Clears the persistent list and saves the rule file (even with an empty
  // rule path, whose save the module refuses).
  ec::EC clear_ip_persis_blacklist(ICommand* command);
  // The lists. Every kReplyBatch entries go out at once as an intermediate
  // reply through the realization; the rest stays in `out` for the final
  // reply. kBlSendFailed when an intermediate reply cannot be sent.
  ec::EC query_ip_blacklist(ICommand* command, std::vector<IpScope>& out);
  ec::EC query_ip_temp_blacklist(ICommand* command, std::vector<IpScope>& out);
  ec::EC query_ip_persis_blacklist(ICommand* command, std::vector<IpScope>& out);

  // Test seams, to be called before init(); production never calls them.
  // The install directory to use instead of the one the machine names.
  void set_install_dir(const std::string& dir);
  // Whether init() starts the intake thread (it does by default).
  void set_intake_enabled(bool enabled) { intake_enabled_ = enabled; }

  CIfaceRealize_IIpBlackListManager* realize = nullptr;  // owner; set by its init
  std::string rule_path;                                 // written by init only
  std::atomic<ISecModelIpFilter*> ip_filter{nullptr};    // null outside init..release
  CUnixAddIp add_ip;
  utility::CDiyLog log;
  ACE_RW_Thread_Mutex lock;

 private:
  typedef int (IIpRuleSet::*SimpleOp)();
  typedef int (IIpRuleSet::*QueryOp)(void*, unsigned int, unsigned int&);
  typedef ec::EC (*SendBatch)(CIfaceRealize_IIpBlackListManager*, ICommand*, std::vector<IpScope>&);

  // The rule set, or null when the module is not open.
  IIpRuleSet* rules() const;
  ec::EC run_simple(SimpleOp op);
  ec::EC run_query(QueryOp op, SendBatch send, ICommand* command, std::vector<IpScope>& out);
  // add_scope's status; 55 when the module is not open. Call under `lock`.
  int add_one(const IpScope& scope);
  // The result of a refused add (status not 0); logs other refusals than 55.
  ec::EC add_refused(int status);
  void log_add(const IpScope& scope);
  void save_rules();

  std::string install_dir_;  // empty: ask the machine
  bool intake_enabled_ = true;
};

}  // namespace rpc

#endif  // IP_BLACKLIST_IIPBLACKLISTMANAGER_H_
