#include "system_rad/CNetInfo.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "system_rad/SamplingEnv.h"
#include "system_rad/TextInput.h"
#include "utility/CStr.h"

namespace utility {

namespace {

const std::size_t kConfBuffer = 4096;
const std::size_t kLineBuffer = 1024;
const std::size_t kMacBuffer = 1024;
const std::size_t kCounters = 16;

// A datagram IPv4 socket, closed when the object goes.
class Socket {
 public:
  Socket() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  bool ok() const { return fd_ >= 0; }

  // Issues `request` for interface `name` (cut to 16 bytes) into `req`.
  bool query(const std::string& name, unsigned long request, struct ifreq& req) const {
    std::memset(&req, 0, sizeof(req));
    std::strncpy(req.ifr_name, name.c_str(), sizeof(req.ifr_name));
    return ioctl(fd_, request, &req) == 0;
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

std::string dotted(const struct sockaddr& address) {
  struct sockaddr_in in;
  std::memcpy(&in, &address, sizeof(in));
  char text[INET_ADDRSTRLEN] = {0};
  if (inet_ntop(AF_INET, &in.sin_addr, text, sizeof(text)) == nullptr) return std::string();
  return text;
}

// One ioctl that yields an IPv4 address, on a socket of its own.
int query_address(const std::string& name, unsigned long request, std::string& out) {
  Socket sock;
  if (!sock.ok()) return 2;
  struct ifreq req;
  if (!sock.query(name, request, req)) return 4;
  out = dotted(req.ifr_addr);
  return 0;
}

// Fills `stat` from the part after the colon; false unless it holds exactly
// 16 counters.
bool parse_counters(const std::string& counters, CNetInfo::NetStat& stat) {
  std::vector<std::string> fields;
  CStr::ext_line(fields, counters);
  if (fields.size() != kCounters) return false;
  stat.ns_ibytes = CStr::atoull(fields[0]);
  stat.ns_ipackets = static_cast<int32_t>(CStr::atol(fields[1]));
  stat.ns_ierrors = static_cast<int32_t>(CStr::atol(fields[2]));
  stat.ns_obytes = CStr::atoull(fields[8]);
  stat.ns_opackets = static_cast<int32_t>(CStr::atol(fields[9]));
  stat.ns_oerrors = static_cast<int32_t>(CStr::atol(fields[10]));
  return true;
}

// True when the line names `name` before its first colon and splits on ":"
// into exactly two pieces whose second holds 16 counters.
bool match_line(const char* line, const std::string& name, CNetInfo::NetStat& stat) {
  const char* colon = std::strchr(line, ':');
  if (colon == nullptr) return false;  // one piece: a header line
  // Cheap test first: the trimmed name before the colon.
  std::string head(line, colon);
  CStr::trim(head);
  if (head != name) return false;
  std::vector<std::string> pieces;
  CStr::ext_line(":", pieces, line);
  return pieces.size() == 2 && parse_counters(pieces[1], stat);
}

// Appends the names of the IPv4 records among the interface requests of
// `records` (`length` bytes).
void append_ipv4_names(const char* records, std::size_t length, std::vector<std::string>& names) {
  for (std::size_t at = 0; at + sizeof(struct ifreq) <= length; at += sizeof(struct ifreq)) {
    struct ifreq req;
    std::memcpy(&req, records + at, sizeof(req));
    if (req.ifr_addr.sa_family != AF_INET) continue;
    names.push_back(std::string(req.ifr_name, strnlen(req.ifr_name, sizeof(req.ifr_name))));
  }
}

}  // namespace

std::string CNetInfo::format_macaddr(const char* hardware_address) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(hardware_address);
  std::unique_ptr<char[]> text(new (std::nothrow) char[kMacBuffer]);
  if (!text) return std::string();
  std::memset(text.get(), 0, kMacBuffer);
  std::snprintf(text.get(), kMacBuffer, "%02x:%02x:%02x:%02x:%02x:%02x", b[0], b[1], b[2], b[3],
                b[4], b[5]);
  return text.get();
}

int CNetInfo::get_all_ni(std::vector<std::string>& names) {
  Socket sock;
  if (!sock.ok()) return 2;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kConfBuffer]);
  if (!buffer) return 3;
  std::memset(buffer.get(), 0, kConfBuffer);
  struct ifconf conf;
  conf.ifc_len = static_cast<int>(kConfBuffer);
  conf.ifc_buf = buffer.get();
  if (ioctl(sock.fd(), SIOCGIFCONF, &conf) != 0) return 4;
  const std::size_t length = static_cast<std::size_t>(conf.ifc_len);
  try {
    append_ipv4_names(buffer.get(), std::min(length, kConfBuffer), names);
  } catch (const std::bad_alloc&) {
    return 3;
  }
  return 0;
}

int CNetInfo::get_net_stat(const std::string& name, NetStat& stat) {
  if (name.empty()) return 1;
  TextFile file = open_text(sampling_env().proc_net_dev);
  if (!file) return 5;
  std::unique_ptr<char[]> line(new (std::nothrow) char[kLineBuffer]);
  if (!line) return 3;
  try {
    while (next_line(file.get(), line.get(), kLineBuffer)) {
      if (match_line(line.get(), name, stat)) return 0;
    }
  } catch (const std::bad_alloc&) {
    return 3;
  }
  return std::ferror(file.get()) ? 6 : 7;
}

int CNetInfo::get_flags(const std::string& name, int& flags) {
  Socket sock;
  if (!sock.ok()) return 2;
  struct ifreq req;
  if (!sock.query(name, SIOCGIFFLAGS, req)) return 4;
  flags = static_cast<int16_t>(req.ifr_flags);
  return 0;
}

int CNetInfo::get_mtu(const std::string& name, int& mtu) {
  Socket sock;
  if (!sock.ok()) return 2;
  struct ifreq req;
  if (!sock.query(name, SIOCGIFMTU, req)) return 4;
  mtu = req.ifr_mtu;
  return 0;
}

int CNetInfo::get_addr(const std::string& name, std::string& addr) {
  return query_address(name, SIOCGIFADDR, addr);
}

int CNetInfo::get_netmask(const std::string& name, std::string& netmask) {
  return query_address(name, SIOCGIFNETMASK, netmask);
}

int CNetInfo::get_broadaddr(const std::string& name, std::string& broadaddr) {
  return query_address(name, SIOCGIFBRDADDR, broadaddr);
}

int CNetInfo::get_macaddr(const std::string& name, std::string& macaddr) {
  Socket sock;
  if (!sock.ok()) return 2;
  struct ifreq req;
  if (!sock.query(name, SIOCGIFHWADDR, req)) return 4;
  try {
    std::string text = format_macaddr(req.ifr_hwaddr.sa_data);
    if (text.empty()) return 3;
    macaddr = text;
  } catch (const std::bad_alloc&) {
    return 3;
  }
  return 0;
}

int CNetInfo::get_net_info(const std::string& name, net_interface& info) {
  Socket sock;
  if (!sock.ok()) return 2;
  struct ifreq req;
  if (!sock.query(name, SIOCGIFADDR, req)) return 4;
  info.addr = dotted(req.ifr_addr);
  if (!sock.query(name, SIOCGIFFLAGS, req)) return 4;
  info.flags = static_cast<int16_t>(req.ifr_flags);
  int result = get_macaddr(name, info.macaddr);
  if (result != 0) return result;
  result = get_broadaddr(name, info.broadaddr);
  if (result != 0) return result;
  if (!sock.query(name, SIOCGIFNETMASK, req)) return 4;
  info.netmask = dotted(req.ifr_netmask);
  if (!sock.query(name, SIOCGIFMTU, req)) return 4;
  info.mtu = req.ifr_mtu;
  return 0;
}

}  // namespace utility
