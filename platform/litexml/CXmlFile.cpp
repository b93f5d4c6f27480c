#include "platform/litexml/CXmlFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "utility/CAtomicFile.h"

namespace {

const std::size_t kReadChunk = 64 * 1024;

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
  return utility::CAtomicFile::replace(path, content, 0666,
                                       utility::CAtomicFile::ModeRule::kKeepTarget);
}
