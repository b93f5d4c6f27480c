// A netlink session with the kernel's ip_set subsystem, speaking its message
// protocol directly: create, destroy, flush, swap and element add/delete of
// IPv4 hash:net sets. The kernel handles each message inside sendmsg, so an
// element is in the set when add() returns. Many elements travel in one
// message (as a restore does), so bulk loads cost few system calls.
//
// Not thread-safe: one caller at a time. Operations return 0 or the error the
// kernel answered (an errno value, or an ipset code of 4096 and above).
#ifndef PLATFORM_IPFILTER_CIPSETSOCKET_H_
#define PLATFORM_IPFILTER_CIPSETSOCKET_H_

#include <cstdint>
#include <string>
#include <vector>

struct mnl_socket;
struct nlmsghdr;

namespace ipfilter {

// One CIDR block of a hash:net set; `timeout` in seconds (0 = none) is sent
// only to sets created with time-out support.
struct IpsetElement {
  uint32_t ip;  // host order
  uint8_t prefix;
  uint32_t timeout;
};

class CIpsetSocket {
 public:
  static const uint32_t kMaxElements = 16u * 1024 * 1024;

  CIpsetSocket();
  ~CIpsetSocket();
  CIpsetSocket(const CIpsetSocket&) = delete;
  CIpsetSocket& operator=(const CIpsetSocket&) = delete;

  // Opens the netlink socket; 0 or errno.
  int open();
  bool is_open() const { return nl_ != nullptr; }

  // Creates an IPv4 hash:net set; an existing set of that name is left as it
  // is and counts as success. `hash_size` is the initial bucket count.
  int create(const std::string& name, bool with_timeout, uint32_t hash_size);
  int destroy(const std::string& name);
  int flush(const std::string& name);
  // Exchanges the contents of two sets; rules matching either name now match
  // the other's former members.
  int swap(const std::string& first, const std::string& second);
  // Existing elements get the new time-out; absent ones are ignored by del.
  int add(const std::string& name, const std::vector<IpsetElement>& elements, bool with_timeout);
  int del(const std::string& name, const std::vector<IpsetElement>& elements);

 private:
  nlmsghdr* begin(int command, const std::string& name, uint16_t flags);
  int adt(int command, const std::string& name, const std::vector<IpsetElement>& elements,
          bool with_timeout);
  enum class Reply { kAck, kNoAck };
  // Sends `message`; 0 or the kernel's error. kNoAck: asks for no
  // acknowledgement and only collects an error reply already queued.
  int exchange(nlmsghdr* message, Reply reply = Reply::kAck);

  mnl_socket* nl_;
  unsigned int port_id_;
  unsigned int seq_;
  std::vector<char> send_buffer_;
  std::vector<char> receive_buffer_;
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CIPSETSOCKET_H_
