#include "host/CConnection.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

#include "frame/wire.h"

namespace host {

namespace {

// Bytes asked of the socket per read.
const std::size_t kReadChunk = 16 * 1024;

long long now_ms() {
  timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

CConnection::CConnection(int fd) : fd_(fd), begin_(0), end_(0), dead_(false) {}

CConnection::~CConnection() { ::close(fd_); }

void CConnection::make_room() {
  if (begin_ == end_) {
    begin_ = end_ = 0;
  } else if (begin_ > 0 && buffer_.size() - end_ < kReadChunk) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (buffer_.size() - end_ < kReadChunk) buffer_.resize(end_ + kReadChunk);
}

CConnection::ReadResult CConnection::fill() {
  make_room();
  for (;;) {
    ssize_t n = ::recv(fd_, buffer_.data() + end_, buffer_.size() - end_, 0);
    if (n > 0) {
      end_ += static_cast<std::size_t>(n);
      return kRead;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kAgain;
    return kClosed;
  }
}

CConnection::FrameResult CConnection::next_frame(const unsigned char*& block,
                                                 std::size_t& length) {
  std::size_t held = end_ - begin_;
  if (held < wire::kFrameLengthSize) return kPartial;
  const unsigned char* start = buffer_.data() + begin_;
  std::size_t body = wire::get_u32(start);
  if (body > wire::kMaxRequestBody) return kTooLarge;
  if (held - wire::kFrameLengthSize < body) return kPartial;
  block = start + wire::kFrameLengthSize;
  length = body;
  begin_ += wire::kFrameLengthSize + body;
  return kFrame;
}

bool CConnection::write_reply(unsigned char type, ec::EC code, const unsigned char* body,
                              std::size_t length) {
  std::lock_guard<std::mutex> lock(write_mutex_);
  if (dead_) return false;
  if (body == nullptr) length = 0;
  unsigned char header[wire::kFrameLengthSize + wire::kReplyHeader];
  wire::put_u32(header, static_cast<std::uint32_t>(wire::kReplyHeader + length));
  header[wire::kFrameLengthSize] = type;
  wire::put_u32(header + wire::kFrameLengthSize + 1, code);
  iovec parts[2];
  parts[0].iov_base = header;
  parts[0].iov_len = sizeof header;
  parts[1].iov_base = const_cast<unsigned char*>(body);
  parts[1].iov_len = length;
  if (!write_all(parts, length > 0 ? 2 : 1)) dead_ = true;
  return !dead_;
}

bool CConnection::dead() const {
  std::lock_guard<std::mutex> lock(write_mutex_);
  return dead_;
}

bool CConnection::write_all(iovec* parts, int count) {
  const long long deadline = now_ms() + kWriteTimeoutMs;
  while (count > 0) {
    msghdr message;
    std::memset(&message, 0, sizeof message);
    message.msg_iov = parts;
    message.msg_iovlen = static_cast<std::size_t>(count);
    ssize_t n = ::sendmsg(fd_, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!wait_writable(deadline)) return false;
      continue;
    }
    if (n <= 0) return false;
    std::size_t sent = static_cast<std::size_t>(n);
    while (count > 0 && sent >= parts->iov_len) {
      sent -= parts->iov_len;
      ++parts;
      --count;
    }
    if (count > 0) {
      parts->iov_base = static_cast<unsigned char*>(parts->iov_base) + sent;
      parts->iov_len -= sent;
    }
  }
  return true;
}

bool CConnection::wait_writable(long long deadline_ms) {
  for (;;) {
    long long left = deadline_ms - now_ms();
    if (left <= 0) return false;
    pollfd watch = {fd_, POLLOUT, 0};
    int ready = ::poll(&watch, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    return (watch.revents & POLLOUT) != 0 && (watch.revents & (POLLERR | POLLHUP)) == 0;
  }
}

}  // namespace host
