#include "host/objects/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "utility/CAtomicFile.h"

namespace host {
namespace {

const mode_t kNewFileMode = 0644;
const mode_t kNewDirMode = 0755;

std::string describe(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

std::string parent_of(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Creates `dir` and its missing parents.
bool make_dirs(const std::string& dir, std::string& error) {
  struct stat info;
  if (::stat(dir.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
    error = describe("not a directory", dir);
    return false;
  }
  std::string parent = parent_of(dir);
  if (parent != dir && !make_dirs(parent, error)) return false;
  if (::mkdir(dir.c_str(), kNewDirMode) != 0 && errno != EEXIST) {
    error = describe("cannot create directory", dir);
    return false;
  }
  return true;
}

}  // namespace

ReadResult read_small_file(const std::string& path, std::size_t max_size, std::string& content,
                           std::string& error) {
  content.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return ReadResult::kMissing;
    error = describe("cannot open", path);
    return ReadResult::kFailed;
  }
  struct stat info;
  ReadResult result = ReadResult::kOk;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<unsigned long long>(info.st_size) > max_size) {
    error = "not a regular file of at most " + std::to_string(max_size) + " bytes: " + path;
    result = ReadResult::kFailed;
  }
  char buffer[8192];
  while (result == ReadResult::kOk) {
    ssize_t got = ::read(fd, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || content.size() + static_cast<std::size_t>(got) > max_size) {
      error = describe("cannot read", path);
      result = ReadResult::kFailed;
      break;
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (result != ReadResult::kOk) content.clear();
  return result;
}

bool write_file_atomically(const std::string& path, const std::string& content,
                           std::string& error) {
  std::string dir = parent_of(path);
  if (!make_dirs(dir, error)) return false;

  mode_t mode = kNewFileMode;
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) mode = info.st_mode & 07777;
  return utility::CAtomicFile::replace(path, content, mode, utility::CAtomicFile::ModeRule::kExact,
                                       &error);
}

}  // namespace host
