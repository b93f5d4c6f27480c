#include "utility/CAtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "utility/write_all.h"

namespace utility {

namespace {

const std::size_t kBufferBytes = 64 * 1024;
const char kTempInfix[] = ".tmp";
const std::size_t kTempSuffixLength = 6;
const int kTempAttempts = 100;

// Six characters that make a temporary name unlikely to exist already.
std::string temp_suffix() {
  static std::atomic<std::uint64_t> counter{0};
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::uint64_t x =
      (static_cast<std::uint64_t>(now.tv_nsec) << 20) ^ static_cast<std::uint64_t>(now.tv_sec) ^
      (static_cast<std::uint64_t>(::getpid()) << 40) ^ (++counter * 0x9E3779B97F4A7C15ULL);
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9ULL;
  x ^= x >> 27;
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix;
  for (std::size_t i = 0; i < kTempSuffixLength; ++i) {
    suffix += kAlphabet[x % (sizeof kAlphabet - 1)];
    x /= sizeof kAlphabet - 1;
  }
  return suffix;
}

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

bool CAtomicFile::fail(const char* what, const std::string& path) {
  error_ = std::string(what) + " " + path + ": " + std::strerror(errno);
  failed_ = true;
  return false;
}

bool CAtomicFile::begin(mode_t mode, ModeRule rule) {
  if (target_.empty() || fd_ >= 0 || failed_) return false;
  const std::string::size_type slash = target_.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  std::string prefix = target_ + kTempInfix;
  if (target_.size() - dir.size() + sizeof kTempInfix + kTempSuffixLength > NAME_MAX)
    prefix = dir + kTempInfix;
  std::string temp;
  for (int attempt = 0; attempt < kTempAttempts && fd_ < 0; ++attempt) {
    temp = prefix + temp_suffix();
    fd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) return fail("cannot create a temporary file beside", target_);
  temp_path_ = temp;
  struct stat replaced;
  if (rule == ModeRule::kKeepTarget && ::stat(target_.c_str(), &replaced) == 0 &&
      S_ISREG(replaced.st_mode)) {
    // Only root may give a file away; anyone else owns the new file.
    if (::fchown(fd_, replaced.st_uid, replaced.st_gid) != 0) errno = 0;
    mode = replaced.st_mode & 07777;
    rule = ModeRule::kExact;
  }
  if (rule == ModeRule::kExact && ::fchmod(fd_, mode) != 0)
    return fail("cannot set the mode of", temp);
  return true;
}

bool CAtomicFile::flush_buffer() {
  const bool ok = write_all(fd_, buffer_.data(), buffer_.size());
  buffer_.clear();
  return ok || fail("cannot write", temp_path_);
}

bool CAtomicFile::write(const char* data, std::size_t size) {
  if (fd_ < 0 || failed_) return false;
  if (buffer_.size() + size > kBufferBytes && !flush_buffer()) return false;
  if (size >= kBufferBytes) {
    return write_all(fd_, data, size) || fail("cannot write", temp_path_);
  }
  buffer_.append(data, size);
  return true;
}

bool CAtomicFile::commit() {
  if (fd_ < 0 || failed_ || !flush_buffer()) return false;
  if (::fsync(fd_) != 0) return fail("cannot sync", temp_path_);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return fail("cannot close", temp_path_);
  if (::rename(temp_path_.c_str(), target_.c_str()) != 0)
    return fail("cannot rename over", target_);
  temp_path_.clear();
  // Make the rename itself durable; a failure here no longer loses data.
  const int dir = ::open(directory_of(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  error_.clear();
  return true;
}

bool CAtomicFile::replace(const std::string& target, const std::string& content, mode_t mode,
                          ModeRule rule, std::string* error) {
  CAtomicFile file(target);
  const bool ok = file.begin(mode, rule) && file.write(content) && file.commit();
  if (!ok && error != nullptr) *error = file.error();
  return ok;
}

}  // namespace utility
