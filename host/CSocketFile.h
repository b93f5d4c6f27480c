// The host's listening Unix socket and the file it is bound to.
#ifndef HOST_CSOCKETFILE_H_
#define HOST_CSOCKETFILE_H_

#include <sys/types.h>

#include <string>

namespace host {

// Not thread-safe; opened and removed by the main thread.
class CSocketFile {
 public:
  explicit CSocketFile(const std::string& path);
  // Closes the socket and removes the file (see remove()).
  ~CSocketFile();
  CSocketFile(const CSocketFile&) = delete;
  CSocketFile& operator=(const CSocketFile&) = delete;

  // Binds and listens at the path, mode 0600, creating missing directories
  // with mode 0700. A socket file nobody answers on is replaced; when
  // another process answers, or the path holds anything but a socket, fails
  // and touches nothing. False with `error` set on failure.
  bool open(std::string& error);
  // The listening socket (non-blocking), -1 before open().
  int fd() const { return fd_; }
  // Closes the socket and unlinks the file if it is still the one bound.
  void remove();

 private:
  bool make_parent_dirs(std::string& error) const;
  bool clear_stale(std::string& error) const;
  bool bind_and_listen(std::string& error);

  std::string path_;
  int fd_;
  dev_t device_;
  ino_t inode_;
};

}  // namespace host

#endif  // HOST_CSOCKETFILE_H_
