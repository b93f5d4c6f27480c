#include "tests/e2e/CHostProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "frame/wire.h"

namespace {

const int kStartWaitMs = 20000;
const int kStopWaitMs = 20000;
const int kPollMs = 10;

}  // namespace

CHostProcess::~CHostProcess() { stop(); }

bool CHostProcess::start(const std::string& host_binary, const std::string& install_dir,
                         const std::string& plugin_dir, const std::string& plugins,
                         std::string& error) {
  ::mkdir((install_dir + "/tmp").c_str(), 0700);
  ::mkdir((install_dir + "/runlog").c_str(), 0700);
  socket_ = install_dir + "/tmp/agent.sock";
  log_ = install_dir + "/host.log";
  std::vector<std::string> args = {host_binary,  "--install-dir", install_dir, "--socket",
                                   socket_,      "--plugin-dir",  plugin_dir};
  if (!plugins.empty()) {
    args.push_back("--plugins");
    args.push_back(plugins);
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  int log_fd = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (log_fd < 0) {
    error = "cannot create " + log_;
    return false;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(log_fd, STDOUT_FILENO);
    ::dup2(log_fd, STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(log_fd);
  if (pid_ < 0) {
    error = "fork failed";
    return false;
  }
  return wait_for_socket(error);
}

bool CHostProcess::wait_for_socket(std::string& error) {
  for (int waited = 0; waited < kStartWaitMs; waited += kPollMs) {
    int fd = wire::connect_unix(socket_);
    if (fd >= 0) {
      ::close(fd);
      return true;
    }
    int status = 0;
    if (reaped(status, kPollMs)) {
      error = "agent_host exited with status " + std::to_string(status) + "; see " + log_;
      return false;
    }
  }
  stop();
  error = "agent_host did not open " + socket_ + " in time; see " + log_;
  return false;
}

bool CHostProcess::reaped(int& status, int wait_ms) {
  for (int waited = 0; pid_ > 0; waited += kPollMs) {
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
      pid_ = -1;
      status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
      return true;
    }
    if (waited >= wait_ms) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  return false;
}

int CHostProcess::stop() {
  if (pid_ <= 0) return -1;
  ::kill(pid_, SIGTERM);
  int status = -1;
  if (reaped(status, kStopWaitMs)) return status;
  ::kill(pid_, SIGKILL);
  reaped(status, kStopWaitMs);
  return -1;
}
