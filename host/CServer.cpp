#include "host/CServer.h"

#include <errno.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <system_error>

namespace host {

namespace {

// Reads of one connection per wake-up before giving other events a turn.
const int kReadsPerWake = 16;
// Pause after running out of file descriptors, so accept does not spin.
const useconds_t kFdExhaustedPauseUs = 10000;

}  // namespace

CServer::CServer(const CRequestHandler& handler, unsigned threads)
    : handler_(handler),
      thread_count_(threads == 0 ? 1 : threads),
      listen_fd_(-1),
      epoll_fd_(-1),
      stop_fd_(-1),
      listen_tag_(0),
      stop_tag_(0) {}

CServer::~CServer() { stop(); }

bool CServer::start(int listen_fd, std::string& error) {
  listen_fd_ = listen_fd;
  epoll_fd_ = ::epoll_create1(EPOLL_CLOEXEC);
  stop_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (epoll_fd_ < 0 || stop_fd_ < 0) {
    error = std::string("cannot create the epoll set: ") + std::strerror(errno);
    stop();
    return false;
  }
  epoll_event stop_event;
  std::memset(&stop_event, 0, sizeof stop_event);
  stop_event.events = EPOLLIN;  // level-triggered: wakes every worker
  stop_event.data.ptr = &stop_tag_;
  if (::epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, stop_fd_, &stop_event) != 0 ||
      !arm(listen_fd_, &listen_tag_, EPOLL_CTL_ADD)) {
    error = std::string("cannot watch the socket: ") + std::strerror(errno);
    stop();
    return false;
  }
  try {
    for (unsigned i = 0; i < thread_count_; ++i) workers_.emplace_back(&CServer::work, this);
  } catch (const std::system_error& failure) {
    error = std::string("cannot start a worker thread: ") + failure.what();
    stop();
    return false;
  }
  return true;
}

void CServer::stop() {
  if (stop_fd_ >= 0) {
    std::uint64_t one = 1;
    ssize_t written = ::write(stop_fd_, &one, sizeof one);
    (void)written;  // a counter that is already non-zero wakes the workers as well
  }
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
  {
    std::lock_guard<std::mutex> lock(connections_mutex_);
    for (CConnection* connection : connections_) delete connection;
    connections_.clear();
  }
  if (epoll_fd_ >= 0) ::close(epoll_fd_);
  if (stop_fd_ >= 0) ::close(stop_fd_);
  epoll_fd_ = stop_fd_ = -1;
}

bool CServer::arm(int fd, void* tag, int operation) {
  epoll_event event;
  std::memset(&event, 0, sizeof event);
  event.events = EPOLLIN | EPOLLRDHUP | EPOLLONESHOT;
  event.data.ptr = tag;
  return ::epoll_ctl(epoll_fd_, operation, fd, &event) == 0;
}

void CServer::work() {
  for (;;) {
    epoll_event event;
    int ready = ::epoll_wait(epoll_fd_, &event, 1, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return;
    if (ready == 0) continue;
    if (event.data.ptr == &stop_tag_) return;
    if (event.data.ptr == &listen_tag_) {
      accept_all();
    } else {
      serve(static_cast<CConnection*>(event.data.ptr));
    }
  }
}

void CServer::accept_all() {
  for (;;) {
    int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        ::usleep(kFdExhaustedPauseUs);
      }
      break;
    }
    CConnection* connection = nullptr;
    {
      std::lock_guard<std::mutex> lock(connections_mutex_);
      if (connections_.size() < kMaxConnections) {
        connection = new CConnection(fd);
        connections_.insert(connection);
      }
    }
    if (connection == nullptr) {
      ::close(fd);
      continue;
    }
    if (!arm(fd, connection, EPOLL_CTL_ADD)) drop(connection);
  }
  arm(listen_fd_, &listen_tag_, EPOLL_CTL_MOD);
}

void CServer::serve(CConnection* connection) {
  std::unique_lock<std::mutex> turn(connection->turn());
  for (int round = 0; round < kReadsPerWake; ++round) {
    CConnection::ReadResult read = connection->fill();
    bool healthy = answer_frames(*connection);
    if (!healthy || read == CConnection::kClosed) {
      turn.unlock();
      drop(connection);
      return;
    }
    if (read == CConnection::kAgain) break;
  }
  if (!arm(connection->fd(), connection, EPOLL_CTL_MOD)) {
    turn.unlock();
    drop(connection);
  }
}

// Answers every whole request in the buffer. False when the connection must
// be closed: a frame above the limit, or a reply that could not be written.
bool CServer::answer_frames(CConnection& connection) {
  for (;;) {
    const unsigned char* block = nullptr;
    std::size_t length = 0;
    CConnection::FrameResult frame = connection.next_frame(block, length);
    if (frame == CConnection::kTooLarge) return false;
    if (frame == CConnection::kPartial) return !connection.dead();
    handler_.handle(block, length, connection);
    if (connection.dead()) return false;
  }
}

void CServer::drop(CConnection* connection) {
  {
    std::lock_guard<std::mutex> lock(connections_mutex_);
    connections_.erase(connection);
  }
  ::epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, connection->fd(), nullptr);
  delete connection;
}

}  // namespace host
