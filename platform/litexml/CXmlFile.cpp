#include "platform/litexml/CXmlFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

const std::size_t kReadChunk = 64 * 1024;
const int kTempAttempts = 100;
const char kTempPrefix[] = ".litexml-";

// A name for a temporary file unlikely to be in use: process, counter, clock.
std::string temp_suffix() {
  static std::atomic<unsigned> counter(0);
  struct timespec now = {0, 0};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  unsigned long long mix = static_cast<unsigned long long>(::getpid()) * 1000003ULL ^
                           static_cast<unsigned long long>(now.tv_nsec) ^
                           (static_cast<unsigned long long>(counter++) << 32);
  return std::to_string(mix % 1000000000000ULL);
}

std::string directory_of(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates "<dir>/.litexml-<name>.<suffix>" (shorter when the name is long),
// mode 0666 less the umask. Returns its descriptor and name, or -1.
int open_temp_beside(const std::string& path, std::string& temp) {
  std::string::size_type slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = path.substr(dir.size());
  if (name.size() + sizeof kTempPrefix + 16 > NAME_MAX) name.clear();
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    temp = dir + kTempPrefix + name + "." + temp_suffix();
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// An existing file keeps its owner and mode when it is replaced.
void keep_owner_and_mode(int fd, const std::string& path) {
  struct stat old_file;
  if (::stat(path.c_str(), &old_file) != 0 || !S_ISREG(old_file.st_mode)) return;
  if (::fchown(fd, old_file.st_uid, old_file.st_gid) != 0) {
    // Only root may give a file away; otherwise the caller owns the new one.
  }
  ::fchmod(fd, old_file.st_mode & 07777);
}

void sync_directory(const std::string& path) {
  int fd = ::open(directory_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool CXmlFile::read(const std::string& path, std::size_t limit, std::string& content) {
  content.clear();
  // Non-blocking, so that a FIFO put in place of the file cannot hang us.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info;
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            static_cast<unsigned long long>(info.st_size) <= limit;
  if (ok) content.reserve(static_cast<std::size_t>(info.st_size));
  char chunk[kReadChunk];
  while (ok) {
    ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    ok = content.size() + static_cast<std::size_t>(got) <= limit;
    if (ok) content.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (!ok) content.clear();
  return ok;
}

bool CXmlFile::replace(const std::string& path, const std::string& content) {
  std::string temp;
  int fd = open_temp_beside(path, temp);
  if (fd < 0) return false;
  keep_owner_and_mode(fd, path);
  bool ok = write_all(fd, content.data(), content.size());
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  sync_directory(path);
  return true;
}
