// One IPv4 address range: the 12-byte record shared by the packet-filter
// library's buffers, the blacklist RPC interface and the intake queue.
#ifndef PLATFORM_IPFILTER_IPSCOPE_H_
#define PLATFORM_IPFILTER_IPSCOPE_H_

namespace rpc {

struct IpScope {
  unsigned int start_ip;  // host order, first dotted octet most significant
  unsigned int end_ip;
  unsigned int time_out;  // seconds; 0 = persistent
};
static_assert(sizeof(IpScope) == 12, "IpScope is a 12-byte wire record");

}  // namespace rpc

#endif  // PLATFORM_IPFILTER_IPSCOPE_H_
