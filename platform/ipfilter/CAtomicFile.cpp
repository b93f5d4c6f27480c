#include "platform/ipfilter/CAtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace ipfilter {

namespace {

const std::size_t kBufferBytes = 64 * 1024;

std::string directory_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

CAtomicFile::CAtomicFile(const std::string& target) : target_(target), fd_(-1), failed_(false) {}

CAtomicFile::~CAtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_path_.empty()) ::unlink(temp_path_.c_str());
}

bool CAtomicFile::begin() {
  if (target_.empty() || fd_ >= 0) return false;
  std::string pattern = target_ + ".tmp.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  temp_path_ = name.data();
  ::fchmod(fd_, 0640);
  return true;
}

bool CAtomicFile::flush_buffer() {
  const char* data = buffer_.data();
  std::size_t left = buffer_.size();
  while (left > 0 && !failed_) {
    const ssize_t n = ::write(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  buffer_.clear();
  return !failed_;
}

bool CAtomicFile::write(const char* data, std::size_t size) {
  if (fd_ < 0 || failed_) return false;
  buffer_.append(data, size);
  return buffer_.size() < kBufferBytes || flush_buffer();
}

bool CAtomicFile::commit() {
  if (fd_ < 0 || failed_ || !flush_buffer()) return false;
  const bool synced = ::fsync(fd_) == 0;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!synced || !closed) return false;
  if (::rename(temp_path_.c_str(), target_.c_str()) != 0) return false;
  temp_path_.clear();
  // Make the rename itself durable; a failure here no longer loses data.
  const int dir = ::open(directory_of(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool CAtomicFile::replace(const std::string& target, const std::string& content) {
  CAtomicFile file(target);
  return file.begin() && file.write(content) && file.commit();
}

}  // namespace ipfilter
