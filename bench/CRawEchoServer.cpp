#include "bench/CRawEchoServer.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "frame/wire.h"

bool CRawEchoServer::start(const std::string& path) {
  sockaddr_un address;
  std::memset(&address, 0, sizeof address);
  if (path.size() >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ::unlink(path.c_str());
  listen_fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) return false;
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listen_fd_, 64) != 0) {
    ::close(listen_fd_);
    listen_fd_ = -1;
    return false;
  }
  path_ = path;
  acceptor_ = std::thread(&CRawEchoServer::accept_loop, this);
  return true;
}

void CRawEchoServer::stop() {
  if (listen_fd_ < 0) return;
  ::shutdown(listen_fd_, SHUT_RDWR);  // wakes accept()
  acceptor_.join();
  ::close(listen_fd_);
  listen_fd_ = -1;
  ::unlink(path_.c_str());
  std::lock_guard<std::mutex> lock(mutex_);
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
}

void CRawEchoServer::accept_loop() {
  for (;;) {
    int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    workers_.emplace_back(&CRawEchoServer::serve, this, fd);
  }
}

void CRawEchoServer::serve(int fd) {
  std::string request;
  while (wire::read_frame(fd, request, wire::kMaxRequestBody) &&
         wire::write_frame(fd, reply_.data(), reply_.size())) {
  }
  ::close(fd);
}
