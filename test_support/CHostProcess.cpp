#include "CHostProcess.h"

#include <fcntl.h>
#include <net/if.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "TempDir.h"

namespace test_support {

namespace {

const char kServingMark[] = "agent_host: serving on ";
const char kPluginCount[] = " plug-in(s)";
const char kSocketInInstall[] = "/tmp/agent.sock";
const int kReapPollMs = 5;
const char kVersionControl[] = "/var/log/version_control";
const char kVarLog[] = "/var/log";
const char kVersionFileName[] = "/version_control";
const int kNamespaceFlags = CLONE_NEWNS | CLONE_NEWNET | CLONE_NEWIPC;

using Clock = std::chrono::steady_clock;

int remaining_ms(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// The socket named by "agent_host: serving on <path> with <n> plug-in(s)...".
std::string socket_of(const std::string& serving_line) {
  std::string::size_type start = sizeof kServingMark - 1;
  std::string::size_type end = serving_line.rfind(" with ", serving_line.find(kPluginCount));
  return end == std::string::npos || end < start ? std::string()
                                                 : serving_line.substr(start, end - start);
}

// The helpers below run in a forked child of a possibly threaded parent, so
// they use system calls only: no allocation, no locks.

void write_text(const char* text) {
  ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

// Reports the failed step with errno on the child's standard error and ends.
[[noreturn]] void child_fail(const char* step) {
  int error = errno;
  char number[12];
  int at = sizeof number - 1;
  number[at] = '\0';
  do {
    number[--at] = static_cast<char>('0' + error % 10);
    error /= 10;
  } while (error > 0 && at > 0);
  write_text("agent_host launcher: ");
  write_text(step);
  write_text(" failed, errno ");
  write_text(number + at);
  write_text("\n");
  ::_exit(CHostProcess::kNamespaceFailure);
}

// Points /var/log/version_control of the new mount namespace at `version_file`.
void redirect_version_control(const char* version_file, const char* content,
                              std::size_t length) {
  if (::access(kVersionControl, F_OK) == 0) {
    if (::mount(version_file, kVersionControl, nullptr, MS_BIND, nullptr) != 0) {
      child_fail("bind-mounting over /var/log/version_control");
    }
    return;
  }
  if (::mount("tmpfs", kVarLog, "tmpfs", 0, "mode=0755,size=1m") != 0) {
    child_fail("mounting a tmpfs over /var/log");
  }
  int fd = ::open(kVersionControl, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || ::write(fd, content, length) != static_cast<ssize_t>(length)) {
    child_fail("writing /var/log/version_control");
  }
  ::close(fd);
}

void bring_loopback_up() {
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ifreq request;
  std::memset(&request, 0, sizeof request);
  std::memcpy(request.ifr_name, "lo", 3);
  if (fd < 0 || ::ioctl(fd, SIOCGIFFLAGS, &request) != 0) child_fail("reading the flags of lo");
  request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
  if (::ioctl(fd, SIOCSIFFLAGS, &request) != 0) child_fail("bringing lo up");
  ::close(fd);
}

void enter_private_namespaces(const char* version_file, const char* content,
                              std::size_t length) {
  if (::unshare(kNamespaceFlags) != 0) child_fail("unshare of mount, network and IPC");
  if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    child_fail("making the mounts private");
  }
  redirect_version_control(version_file, content, length);
  bring_loopback_up();
}

}  // namespace

CHostProcess::CHostProcess(const std::string& log_path) : log_path_(log_path) {}

CHostProcess::~CHostProcess() {
  if (pid_ > 0) stop(SIGKILL);
  if (stdout_fd_ >= 0) ::close(stdout_fd_);
}

bool CHostProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                         int timeout_ms) {
  serving_line_.clear();
  socket_path_.clear();
  error_.clear();
  if (pid_ > 0) {
    error_ = "agent_host is already running";
    return false;
  }
  if (!spawn(program, arguments)) return false;
  if (await_serving_line(timeout_ms)) return true;
  error_ += "; see " + log_path_;
  return false;
}

bool CHostProcess::start(const std::string& program, const std::string& install_dir,
                         const std::string& plugin_dir, const std::string& plugins,
                         int timeout_ms) {
  ::mkdir((install_dir + "/tmp").c_str(), 0700);
  ::mkdir((install_dir + "/runlog").c_str(), 0700);
  std::vector<std::string> arguments = {"--install-dir", install_dir,
                                        "--socket",      install_dir + kSocketInInstall,
                                        "--plugin-dir",  plugin_dir};
  if (!plugins.empty()) {
    arguments.push_back("--plugins");
    arguments.push_back(plugins);
  }
  return start(program, arguments, timeout_ms);
}

bool CHostProcess::spawn(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  if (stdout_fd_ >= 0) ::close(stdout_fd_);
  stdout_fd_ = -1;
  int log_fd = ::open(log_path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (log_fd < 0) {
    error_ = "cannot open " + log_path_;
    return false;
  }
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(log_fd);
    error_ = "pipe failed";
    return false;
  }
  std::string version_line = private_install_dir_ + "\n";
  if (!private_install_dir_.empty() && !write_version_file(version_line)) {
    ::close(out[0]);
    ::close(out[1]);
    ::close(log_fd);
    return false;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(log_fd, STDERR_FILENO);
    if (!private_install_dir_.empty()) {
      enter_private_namespaces(version_file_.c_str(), version_line.data(), version_line.size());
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(log_fd);
  stdout_fd_ = out[0];
  exit_status_ = -1;
  if (pid_ < 0) error_ = "fork failed";
  return pid_ > 0;
}

bool CHostProcess::await_serving_line(int timeout_ms) {
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  std::string seen;
  for (;;) {
    pollfd watch = {stdout_fd_, POLLIN, 0};
    int ready = ::poll(&watch, 1, remaining_ms(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      stop(SIGKILL);
      error_ = "agent_host printed no serving line within " + std::to_string(timeout_ms) + " ms";
      return false;
    }
    char chunk[512];
    ssize_t n = ::read(stdout_fd_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = "agent_host ended before serving, status " + std::to_string(wait_exit());
      return false;
    }
    seen.append(chunk, static_cast<std::size_t>(n));
    std::string::size_type mark = seen.find(kServingMark);
    std::string::size_type end = mark == std::string::npos ? mark : seen.find('\n', mark);
    if (end != std::string::npos) {
      serving_line_ = seen.substr(mark, end - mark);
      socket_path_ = socket_of(serving_line_);
      return true;
    }
  }
}

void CHostProcess::use_private_namespaces(const std::string& install_dir) {
  private_install_dir_ = install_dir;
  version_file_ = install_dir + kVersionFileName;
}

bool CHostProcess::write_version_file(const std::string& line) {
  std::FILE* file = std::fopen(version_file_.c_str(), "we");
  bool written = file != nullptr && std::fwrite(line.data(), 1, line.size(), file) == line.size();
  if (file != nullptr && std::fclose(file) != 0) written = false;
  if (!written) error_ = "cannot write " + version_file_;
  return written;
}

bool CHostProcess::namespaces_available(std::string& why) {
  pid_t child = ::fork();
  if (child == 0) {
    bool made = ::unshare(kNamespaceFlags) == 0 &&
                ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    ::_exit(made ? 0 : (errno & 0x7F) + 1);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) {
    why = "cannot fork to try namespaces";
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  int error = WIFEXITED(status) ? WEXITSTATUS(status) - 1 : 0;
  why = std::string("new mount, network and IPC namespaces are refused here (") +
        (error > 0 ? std::strerror(error) : "the trial ended abnormally") +
        "); run as root on a kernel that allows them";
  return false;
}

std::string CHostProcess::ipc_namespace() const {
  return pid_ > 0 ? "/proc/" + std::to_string(pid_) + "/ns/ipc" : std::string();
}

int CHostProcess::stop(int signal_number, int timeout_ms) {
  if (pid_ > 0) ::kill(pid_, signal_number);
  return wait_exit(timeout_ms);
}

int CHostProcess::wait_exit(int timeout_ms) {
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (pid_ > 0 && !reaped(false)) {
    if (remaining_ms(deadline) == 0) {
      ::kill(pid_, SIGKILL);
      reaped(true);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kReapPollMs));
  }
  return exit_status_;
}

bool CHostProcess::reaped(bool block) {
  int status = 0;
  pid_t done;
  do {
    done = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done == 0) return false;
  pid_ = -1;
  if (done < 0) {
    exit_status_ = -1;
  } else if (WIFEXITED(status)) {
    exit_status_ = WEXITSTATUS(status);
  } else {
    exit_status_ = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
  }
  return true;
}

std::string CHostProcess::log_text() const { return read_file(log_path_); }

}  // namespace test_support
