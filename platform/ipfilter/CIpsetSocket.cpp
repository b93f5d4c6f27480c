#include "platform/ipfilter/CIpsetSocket.h"

#include <arpa/inet.h>
#include <libmnl/libmnl.h>
#include <linux/netfilter.h>
#include <linux/netfilter/ipset/ip_set.h>
#include <linux/netfilter/nfnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>

namespace ipfilter {

const uint32_t CIpsetSocket::kMaxElements;

namespace {

const char kSetType[] = "hash:net";
// Revision 6 of hash:net has everything used here and is known to every
// kernel in use; the kernel picks the type by its revision range.
const uint8_t kSetRevision = 6;
// Messages stay well below the socket's send buffer.
const std::size_t kMessageBytes = 32 * 1024;
// Room one element needs inside a message, with margin.
const std::size_t kElementBytes = 64;
const int kReplyTimeoutSeconds = 5;

void put_be32(nlmsghdr* nlh, uint16_t type, uint32_t value) {
  mnl_attr_put_u32(nlh, type | NLA_F_NET_BYTEORDER, htonl(value));
}

void put_element(nlmsghdr* nlh, const IpsetElement& element, bool with_timeout) {
  nlattr* ip = mnl_attr_nest_start(nlh, IPSET_ATTR_IP);
  put_be32(nlh, IPSET_ATTR_IPADDR_IPV4, element.ip);
  mnl_attr_nest_end(nlh, ip);
  mnl_attr_put_u8(nlh, IPSET_ATTR_CIDR, element.prefix);
  if (with_timeout) put_be32(nlh, IPSET_ATTR_TIMEOUT, element.timeout);
}

}  // namespace

CIpsetSocket::CIpsetSocket()
    : nl_(nullptr),
      port_id_(0),
      seq_(0),
      send_buffer_(kMessageBytes),
      receive_buffer_(MNL_SOCKET_BUFFER_SIZE > 16384 ? MNL_SOCKET_BUFFER_SIZE : 16384) {}

CIpsetSocket::~CIpsetSocket() {
  if (nl_ != nullptr) mnl_socket_close(nl_);
}

int CIpsetSocket::open() {
  if (nl_ != nullptr) return 0;
  nl_ = mnl_socket_open2(NETLINK_NETFILTER, SOCK_CLOEXEC);
  if (nl_ == nullptr) return errno;
  int one = 1;
  // Error replies carry only the header of the request, not the request.
  mnl_socket_setsockopt(nl_, NETLINK_CAP_ACK, &one, sizeof one);
  struct timeval timeout = {kReplyTimeoutSeconds, 0};
  setsockopt(mnl_socket_get_fd(nl_), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (mnl_socket_bind(nl_, 0, MNL_SOCKET_AUTOPID) < 0) {
    const int error = errno;
    mnl_socket_close(nl_);
    nl_ = nullptr;
    return error;
  }
  port_id_ = mnl_socket_get_portid(nl_);
  return 0;
}

nlmsghdr* CIpsetSocket::begin(int command, const std::string& name, uint16_t flags) {
  nlmsghdr* nlh = mnl_nlmsg_put_header(send_buffer_.data());
  nlh->nlmsg_type = static_cast<uint16_t>((NFNL_SUBSYS_IPSET << 8) | command);
  nlh->nlmsg_flags = static_cast<uint16_t>(NLM_F_REQUEST | NLM_F_ACK | flags);
  nlh->nlmsg_seq = ++seq_;
  nfgenmsg* header = static_cast<nfgenmsg*>(mnl_nlmsg_put_extra_header(nlh, sizeof(nfgenmsg)));
  header->nfgen_family = NFPROTO_IPV4;
  header->version = NFNETLINK_V0;
  header->res_id = htons(0);
  mnl_attr_put_u8(nlh, IPSET_ATTR_PROTOCOL, IPSET_PROTOCOL);
  mnl_attr_put_strz(nlh, IPSET_ATTR_SETNAME, name.c_str());
  return nlh;
}

// The kernel handles a netfilter message inside sendmsg: when the send
// returns the command is done, and a failure has already queued its error
// reply. Set commands wait for their acknowledgement; element messages
// (kNoAck) ask for none, which saves building and reading one per element,
// and only collect an error reply if one is queued.
int CIpsetSocket::exchange(nlmsghdr* message, Reply reply) {
  if (nl_ == nullptr) return EBADF;
  const bool wait = reply == Reply::kAck;
  if (!wait) message->nlmsg_flags = static_cast<uint16_t>(message->nlmsg_flags & ~NLM_F_ACK);
  if (mnl_socket_sendto(nl_, message, message->nlmsg_len) < 0) return errno;
  const unsigned int seq = message->nlmsg_seq;
  while (true) {
    const ssize_t n = ::recv(mnl_socket_get_fd(nl_), receive_buffer_.data(),
                             receive_buffer_.size(), wait ? 0 : MSG_DONTWAIT);
    if (n < 0 && errno == EAGAIN) return wait ? ETIMEDOUT : 0;
    if (n < 0) return errno;
    const int result = mnl_cb_run(receive_buffer_.data(), static_cast<std::size_t>(n), seq,
                                  port_id_, nullptr, nullptr);
    if (result == MNL_CB_ERROR) return errno != 0 ? errno : EPROTO;
    if (result == MNL_CB_STOP) return 0;
  }
}

int CIpsetSocket::create(const std::string& name, bool with_timeout, uint32_t hash_size) {
  nlmsghdr* nlh = begin(IPSET_CMD_CREATE, name, 0);
  mnl_attr_put_strz(nlh, IPSET_ATTR_TYPENAME, kSetType);
  mnl_attr_put_u8(nlh, IPSET_ATTR_REVISION, kSetRevision);
  mnl_attr_put_u8(nlh, IPSET_ATTR_FAMILY, NFPROTO_IPV4);
  nlattr* data = mnl_attr_nest_start(nlh, IPSET_ATTR_DATA);
  if (with_timeout) put_be32(nlh, IPSET_ATTR_TIMEOUT, 0);  // time-outs per element
  put_be32(nlh, IPSET_ATTR_MAXELEM, kMaxElements);
  put_be32(nlh, IPSET_ATTR_HASHSIZE, hash_size);
  mnl_attr_nest_end(nlh, data);
  const int error = exchange(nlh);
  return error == EEXIST ? 0 : error;
}

int CIpsetSocket::destroy(const std::string& name) {
  return exchange(begin(IPSET_CMD_DESTROY, name, 0));
}

int CIpsetSocket::flush(const std::string& name) {
  return exchange(begin(IPSET_CMD_FLUSH, name, 0));
}

int CIpsetSocket::swap(const std::string& first, const std::string& second) {
  nlmsghdr* nlh = begin(IPSET_CMD_SWAP, first, 0);
  mnl_attr_put_strz(nlh, IPSET_ATTR_SETNAME2, second.c_str());
  return exchange(nlh);
}

int CIpsetSocket::add(const std::string& name, const std::vector<IpsetElement>& elements,
                      bool with_timeout) {
  return adt(IPSET_CMD_ADD, name, elements, with_timeout);
}

int CIpsetSocket::del(const std::string& name, const std::vector<IpsetElement>& elements) {
  return adt(IPSET_CMD_DEL, name, elements, false);
}

int CIpsetSocket::adt(int command, const std::string& name,
                      const std::vector<IpsetElement>& elements, bool with_timeout) {
  // Without NLM_F_EXCL the kernel updates elements already there (add) and
  // skips absent ones (del) instead of failing.
  std::size_t next = 0;
  while (next < elements.size()) {
    nlmsghdr* nlh = begin(command, name, 0);
    if (elements.size() - next == 1) {
      nlattr* data = mnl_attr_nest_start(nlh, IPSET_ATTR_DATA);
      put_element(nlh, elements[next++], with_timeout);
      mnl_attr_nest_end(nlh, data);
    } else {
      // A list of elements must carry a line number, which errors refer to.
      mnl_attr_put_u32(nlh, IPSET_ATTR_LINENO, 0);
      nlattr* list = mnl_attr_nest_start(nlh, IPSET_ATTR_ADT);
      while (next < elements.size() && nlh->nlmsg_len + kElementBytes < kMessageBytes) {
        nlattr* data = mnl_attr_nest_start(nlh, IPSET_ATTR_DATA);
        put_element(nlh, elements[next++], with_timeout);
        mnl_attr_nest_end(nlh, data);
      }
      mnl_attr_nest_end(nlh, list);
    }
    const int error = exchange(nlh, Reply::kNoAck);
    if (error != 0) return error;
  }
  return 0;
}

}  // namespace ipfilter
