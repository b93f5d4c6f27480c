// The RPC realization of IIpBlackListManager: the interface's description,
// its 13 methods, and the cf_/ret_ stubs around the manager it owns.
// Exported by the plug-in as rpc_ireal_IIpBlackListManager.
#ifndef IP_BLACKLIST_CIFACEREALIZE_IIPBLACKLISTMANAGER_H_
#define IP_BLACKLIST_CIFACEREALIZE_IIPBLACKLISTMANAGER_H_

#include "frame/realize.h"
#include "ip_blacklist/IIpBlackListManager.h"

namespace rpc {

class CIfaceRealize_IIpBlackListManager
    : public CIfaceRealize<CIfaceRealize_IIpBlackListManager, IIpBlackListManager> {
 public:
  static const IfaceInfo kIface;
  static MethodTable<CIfaceRealize_IIpBlackListManager> methods();

  // The manager, for tests that set its seams before init().
  IIpBlackListManager& implementation() { return impl; }

  RPC_STUBS(start_ip_filter)
  RPC_STUBS(stop_ip_filter)
  RPC_STUBS(add_ip_scope_into_blacklist)
  RPC_STUBS(add_ip_scope_into_blacklist2)
  RPC_STUBS(del_ip_scope_into_blacklist)
  RPC_STUBS(start_ip_persis_blacklist)
  RPC_STUBS(stop_ip_persis_blacklist)
  RPC_STUBS(clear_ip_blacklist)
  RPC_STUBS(clear_ip_temp_blacklist)
  RPC_STUBS(clear_ip_persis_blacklist)
  RPC_STUBS(query_ip_blacklist)
  RPC_STUBS(query_ip_temp_blacklist)
  RPC_STUBS(query_ip_persis_blacklist)
};

}  // namespace rpc

#endif  // IP_BLACKLIST_CIFACEREALIZE_IIPBLACKLISTMANAGER_H_
