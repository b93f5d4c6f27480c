#include "tests/host/HostProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "test_support/TempDir.h"
#include "test_support/test_paths.h"

namespace test_host {

namespace {

const int kStartTimeoutMs = 60000;  // generous: sanitizer builds start slowly
const char kServingMark[] = "agent_host: serving on ";

}  // namespace

HostProcess::HostProcess(const std::string& stderr_path)
    : stderr_path_(stderr_path), pid_(-1), stdout_fd_(-1) {}

HostProcess::~HostProcess() {
  if (pid_ > 0) stop(SIGKILL);
  if (stdout_fd_ >= 0) ::close(stdout_fd_);
}

bool HostProcess::start(const std::vector<std::string>& arguments) {
  std::string program = std::string(AGENT_BIN_DIR) + "/agent_host";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return false;
  int err = ::open(stderr_path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    if (err >= 0) ::dup2(err, STDERR_FILENO);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  if (err >= 0) ::close(err);
  stdout_fd_ = out[0];
  if (pid_ < 0) return false;

  std::string seen;
  for (;;) {
    pollfd watch = {stdout_fd_, POLLIN, 0};
    if (::poll(&watch, 1, kStartTimeoutMs) <= 0) return false;
    char chunk[512];
    ssize_t n = ::read(stdout_fd_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    seen.append(chunk, static_cast<std::size_t>(n));
    std::string::size_type mark = seen.find(kServingMark);
    std::string::size_type end = mark == std::string::npos ? mark : seen.find('\n', mark);
    if (end != std::string::npos) {
      serving_line_ = seen.substr(mark, end - mark);
      return true;
    }
  }
}

int HostProcess::stop(int signal_number) {
  if (pid_ > 0) ::kill(pid_, signal_number);
  return wait_exit();
}

int HostProcess::wait_exit() {
  if (pid_ <= 0) return -1;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

std::string HostProcess::stderr_text() const { return test_support::read_file(stderr_path_); }

}  // namespace test_host
