#include "frame/wire.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace wire {

std::string make_request_block(const std::string& iface, const std::string& payload) {
  if (iface.size() > kMaxIfaceName) return std::string();
  std::string block;
  block.reserve(kBlockHeader + iface.size() + payload.size());
  block.push_back(static_cast<char>(kBlockMagic));
  block.push_back(static_cast<char>(kBlockVersion));
  block.push_back(static_cast<char>(iface.size()));
  block.push_back('\0');
  block += iface;
  block += payload;
  return block;
}

bool split_request_block(const unsigned char* block, std::size_t length, std::string& iface,
                         const unsigned char*& payload, std::size_t& payload_length) {
  if (block == nullptr || length < kBlockHeader) return false;
  std::size_t name_length = block[2];
  if (length < kBlockHeader + name_length) return false;
  iface.assign(reinterpret_cast<const char*>(block + kBlockHeader), name_length);
  payload = block + kBlockHeader + name_length;
  payload_length = length - kBlockHeader - name_length;
  return true;
}

namespace {

bool write_all(int fd, const unsigned char* data, std::size_t length) {
  while (length > 0) {
    ssize_t n = ::send(fd, data, length, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

bool read_all(int fd, unsigned char* data, std::size_t length) {
  while (length > 0) {
    ssize_t n = ::read(fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool write_frame(int fd, const void* body, std::size_t length) {
  if (length > 0xFFFFFFFFu) return false;
  // One buffer, one send: small frames leave in one segment.
  std::string frame(kFrameLengthSize + length, '\0');
  unsigned char* out = reinterpret_cast<unsigned char*>(&frame[0]);
  put_u32(out, static_cast<std::uint32_t>(length));
  if (length > 0) std::memcpy(out + kFrameLengthSize, body, length);
  return write_all(fd, out, frame.size());
}

bool read_frame(int fd, std::string& body, std::size_t limit) {
  unsigned char prefix[kFrameLengthSize];
  if (!read_all(fd, prefix, sizeof prefix)) return false;
  std::size_t length = get_u32(prefix);
  if (length > limit) return false;
  body.assign(length, '\0');
  return length == 0 || read_all(fd, reinterpret_cast<unsigned char*>(&body[0]), length);
}

int connect_unix(const std::string& path) {
  sockaddr_un address;
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

}  // namespace wire
