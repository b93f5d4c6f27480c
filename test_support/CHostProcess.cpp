#include "CHostProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "TempDir.h"

namespace test_support {

namespace {

const char kServingMark[] = "agent_host: serving on ";
const char kPluginCount[] = " plug-in(s)";
const char kSocketInInstall[] = "/tmp/agent.sock";
const int kReapPollMs = 5;

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
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(log_fd, STDERR_FILENO);
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
