#include "ip_blacklist/CIfaceRealize_IIpBlackListManager.h"

namespace rpc {

const IfaceInfo CIfaceRealize_IIpBlackListManager::kIface = {
    "IIpBlackListManager", "8ee20282-7f91-4259-8eff-a3cb87e13a58", "IP黑名单管理接口"};

MethodTable<CIfaceRealize_IIpBlackListManager> CIfaceRealize_IIpBlackListManager::methods() {
  typedef CIfaceRealize_IIpBlackListManager R;
  static const MethodEntry<R> kMethods[] = {
      RPC_METHOD(R, start_ip_filter, "开启IP过滤功能"),
      RPC_METHOD(R, stop_ip_filter, "关闭IP过滤功能"),
      RPC_METHOD(R, add_ip_scope_into_blacklist, "添加IP到黑名单"),
      RPC_METHOD(R, add_ip_scope_into_blacklist2, "批量添加IP到黑名单"),
      RPC_METHOD(R, del_ip_scope_into_blacklist, "删除黑名单中的IP"),
      RPC_METHOD(R, start_ip_persis_blacklist, "开启IP永久黑名单功能"),
      RPC_METHOD(R, stop_ip_persis_blacklist, "关闭IP永久黑名单功能"),
      RPC_METHOD(R, clear_ip_blacklist, "清空IP黑名单"),
      RPC_METHOD(R, clear_ip_temp_blacklist, "清空临时IP黑名单"),
      RPC_METHOD(R, clear_ip_persis_blacklist, "清空永久IP黑名单"),
      RPC_METHOD(R, query_ip_blacklist, "查询IP黑名单"),
      RPC_METHOD(R, query_ip_temp_blacklist, "查询临时IP黑名单"),
      RPC_METHOD(R, query_ip_persis_blacklist, "查询永久IP黑名单"),
  };
  return MethodTable<R>{kMethods, sizeof kMethods / sizeof kMethods[0]};
}

}  // namespace rpc
