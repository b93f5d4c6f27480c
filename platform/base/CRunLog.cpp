#include "platform/base/CRunLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>

namespace fwbase {

// Failures on, call traces off.
unsigned int IRunLog::ms_type_sign = IRunLog::kFailure;

const long CRunLog::kMaxFileSize;

namespace {

const char kLogPath[] = "runlog/agent_run.log";

// Shared by every CRunLog; guards the file, stderr and the settings below.
std::mutex& log_mutex() {
  static std::mutex mutex;
  return mutex;
}
CRunLog::Observer& observer() {
  static CRunLog::Observer instance;
  return instance;
}
bool g_to_stderr = true;

int open_log(int extra_flags) {
  return ::open(kLogPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | extra_flags,
                0640);
}

// Appends to the log file, restarting it once it is past the limit. Gives
// up silently when the file cannot be opened.
void append_to_file(const std::string& line) {
  int fd = open_log(0);
  if (fd < 0) return;
  struct stat st;
  if (::fstat(fd, &st) == 0 && st.st_size > CRunLog::kMaxFileSize) {
    ::close(fd);
    ::unlink(kLogPath);
    fd = open_log(O_TRUNC);
    if (fd < 0) return;
  }
  const char* data = line.data();
  std::size_t left = line.size();
  while (left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n <= 0) break;  // a full disk loses the line; the caller goes on
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  ::close(fd);
}

std::string make_line(unsigned level, const std::string& text, const std::string& location) {
  time_t now = ::time(nullptr);
  struct tm local;
  ::localtime_r(&now, &local);
  char head[64];
  std::snprintf(head, sizeof head, "%04d/%02d/%02d %02d:%02d:%02d L%u ", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, level);
  std::string line(head);
  line += text;
  line += " | ";
  line += location;
  line += '\n';
  return line;
}

}  // namespace

void CRunLog::write(unsigned int level, const char* text, const char* location) {
  try {
    const std::string text_copy = text ? text : "";
    const std::string location_copy = location ? location : "";
    const std::string line = make_line(level, text_copy, location_copy);
    Observer notify;
    {
      std::lock_guard<std::mutex> lock(log_mutex());
      append_to_file(line);
      if (g_to_stderr) {
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
      }
      notify = observer();
    }
    if (notify) notify(level, text_copy, location_copy);
  } catch (...) {
    // Out of memory, or a throwing observer: the line is lost, the caller
    // must not see an exception.
  }
}

void CRunLog::set_observer(Observer new_observer) {
  std::lock_guard<std::mutex> lock(log_mutex());
  observer().swap(new_observer);
}

void CRunLog::set_stderr(bool on) {
  std::lock_guard<std::mutex> lock(log_mutex());
  g_to_stderr = on;
}

}  // namespace fwbase
