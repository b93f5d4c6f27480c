// rpc::IpScope as an RPC record: three u32 values, start_ip, end_ip, time_out.
#ifndef IP_BLACKLIST_IPSCOPERECORD_H_
#define IP_BLACKLIST_IPSCOPERECORD_H_

#include "frame/marshal.h"
#include "platform/ipfilter/IpScope.h"

namespace rpc {

RPC_RECORD(IpScope, start_ip, end_ip, time_out)

}  // namespace rpc

#endif  // IP_BLACKLIST_IPSCOPERECORD_H_
