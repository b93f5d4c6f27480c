#include "host/CSocketFile.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "frame/wire.h"

namespace host {

namespace {

const mode_t kSocketMode = 0600;
const mode_t kDirMode = 0700;
const int kBacklog = 128;

std::string describe(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

}  // namespace

CSocketFile::CSocketFile(const std::string& path)
    : path_(path), fd_(-1), device_(0), inode_(0) {}

CSocketFile::~CSocketFile() { remove(); }

bool CSocketFile::open(std::string& error) {
  if (path_.empty() || path_.size() >= sizeof(sockaddr_un().sun_path)) {
    error = "socket path '" + path_ + "' is empty or too long";
    return false;
  }
  return make_parent_dirs(error) && clear_stale(error) && bind_and_listen(error);
}

bool CSocketFile::make_parent_dirs(std::string& error) const {
  for (std::string::size_type slash = path_.find('/', 1); slash != std::string::npos;
       slash = path_.find('/', slash + 1)) {
    std::string dir = path_.substr(0, slash);
    if (::mkdir(dir.c_str(), kDirMode) != 0 && errno != EEXIST) {
      error = describe("cannot create directory " + dir, errno);
      return false;
    }
  }
  return true;
}

bool CSocketFile::clear_stale(std::string& error) const {
  struct stat info;
  if (::lstat(path_.c_str(), &info) != 0) {
    if (errno == ENOENT) return true;
    error = describe("cannot inspect " + path_, errno);
    return false;
  }
  if (!S_ISSOCK(info.st_mode)) {
    error = path_ + " exists and is not a socket; leaving it alone";
    return false;
  }
  int probe = wire::connect_unix(path_);
  if (probe >= 0) {
    ::close(probe);
    error = "another agent_host is serving on " + path_;
    return false;
  }
  if (errno != ECONNREFUSED && errno != ENOENT) {
    error = describe("cannot probe " + path_, errno);
    return false;
  }
  if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
    error = describe("cannot remove stale socket " + path_, errno);
    return false;
  }
  return true;
}

bool CSocketFile::bind_and_listen(std::string& error) {
  sockaddr_un address;
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = describe("cannot create socket", errno);
    return false;
  }
  mode_t previous = ::umask(0777 & ~kSocketMode);
  int bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int bind_error = errno;
  ::umask(previous);
  if (bound != 0) {
    ::close(fd);
    error = describe("cannot bind " + path_, bind_error);
    return false;
  }
  struct stat info;
  if (::lstat(path_.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) {
    error = "socket " + path_ + " vanished after bind";
    ::close(fd);
    return false;
  }
  if (::chmod(path_.c_str(), kSocketMode) != 0 || ::listen(fd, kBacklog) != 0) {
    error = describe("cannot set up " + path_, errno);
    ::unlink(path_.c_str());
    ::close(fd);
    return false;
  }
  fd_ = fd;
  device_ = info.st_dev;
  inode_ = info.st_ino;
  return true;
}

void CSocketFile::remove() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  struct stat info;
  if (::lstat(path_.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_dev == device_ &&
      info.st_ino == inode_) {
    ::unlink(path_.c_str());
  }
}

}  // namespace host
