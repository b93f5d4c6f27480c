// Network interfaces (socket ioctls) and their traffic counters (the
// kernel's /proc/net/dev; the path comes from sampling_env()).
//
// Stateless: static functions only; every call uses its own file, socket
// and buffer, so any thread may call any of them at any time. Failures are
// reported only by the result code (0 is success); nothing is logged or
// thrown. Interface names longer than 16 bytes are cut to 16.
#ifndef SYSTEM_RAD_CNETINFO_H_
#define SYSTEM_RAD_CNETINFO_H_

#include <cstdint>
#include <string>
#include <vector>

namespace utility {

class CNetInfo {
 public:
  // The traffic counters of one interface (columns 1, 0, 2, 9, 8 and 10 of
  // its /proc/net/dev line).
  struct NetStat {
    int32_t ns_ipackets;
    uint64_t ns_ibytes;
    int32_t ns_ierrors;
    int32_t ns_opackets;
    uint64_t ns_obytes;
    int32_t ns_oerrors;
  };

  // One interface as get_net_info describes it. `name` is the caller's:
  // get_net_info neither reads nor writes it.
  struct net_interface {
    std::string name;
    std::string addr;       // dotted IPv4 address
    std::string macaddr;    // "xx:xx:xx:xx:xx:xx"
    std::string netmask;    // dotted
    std::string broadaddr;  // dotted
    int32_t mtu = 0;
    int32_t flags = 0;  // the 16-bit signed interface flags, widened
  };

  // Appends the name of every interface that has an IPv4 address, in the
  // kernel's order (at most what a 4096-byte list holds).
  // Result: 0; 2 socket failed; 3 no memory; 4 ioctl failed.
  static int get_all_ni(std::vector<std::string>& names);

  // Counters of the interface whose /proc/net/dev line names exactly
  // `name`; a line with other than 16 counters is passed over.
  // Result: 0 found; 1 empty name; 3 no memory; 5 cannot open; 6 read
  // error; 7 not found.
  static int get_net_stat(const std::string& name, NetStat& stat);

  // One ioctl each on a socket of their own.
  // Result: 0; 2 socket failed; 4 ioctl failed (3 no memory, macaddr only).
  static int get_flags(const std::string& name, int& flags);
  static int get_mtu(const std::string& name, int& mtu);
  static int get_addr(const std::string& name, std::string& addr);
  static int get_netmask(const std::string& name, std::string& netmask);
  static int get_broadaddr(const std::string& name, std::string& broadaddr);
  static int get_macaddr(const std::string& name, std::string& macaddr);

  // Fills address, flags, macaddr, broadaddr, netmask and MTU, in this
  // order, stopping at the first failure (the fields filled before it stay).
  // Result: 0; 2 socket failed; 4 ioctl failed; or the code of get_macaddr
  // or get_broadaddr.
  static int get_net_info(const std::string& name, net_interface& info);

  // "%02x:%02x:%02x:%02x:%02x:%02x" over the first six bytes, each taken as
  // unsigned (0xab gives "ab").
  static std::string format_macaddr(const char* hardware_address);
};

}  // namespace utility

#endif  // SYSTEM_RAD_CNETINFO_H_
