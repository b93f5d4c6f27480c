#include "CProgram.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "TempDir.h"

namespace test_support {

namespace {

int open_output(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
}

}  // namespace

CProgram::Outcome CProgram::run(const std::vector<std::string>& argv,
                                const std::string& scratch_dir,
                                const std::string& ipc_namespace) {
  Outcome outcome;
  if (argv.empty()) return outcome;
  std::vector<std::string> args(argv);
  std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(&arg[0]);
  pointers.push_back(nullptr);
  std::string out_path = scratch_dir + "/program.out";
  std::string err_path = scratch_dir + "/program.err";
  int out_fd = open_output(out_path);
  int err_fd = open_output(err_path);
  int ns_fd = ipc_namespace.empty() ? -1 : ::open(ipc_namespace.c_str(), O_RDONLY | O_CLOEXEC);
  pid_t pid = out_fd < 0 || err_fd < 0 ? -1 : ::fork();
  if (pid == 0) {
    ::dup2(out_fd, STDOUT_FILENO);
    ::dup2(err_fd, STDERR_FILENO);
    if (!ipc_namespace.empty() && (ns_fd < 0 || ::setns(ns_fd, CLONE_NEWIPC) != 0)) {
      ::_exit(kNoNamespace);
    }
    ::execv(pointers[0], pointers.data());
    ::_exit(127);
  }
  for (int fd : {out_fd, err_fd, ns_fd}) {
    if (fd >= 0) ::close(fd);
  }
  int raw = 0;
  pid_t done = -1;
  do {
    done = pid > 0 ? ::waitpid(pid, &raw, 0) : -1;
  } while (done < 0 && errno == EINTR);
  if (done == pid && pid > 0) {
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }
  outcome.out = read_file(out_path);
  outcome.err = read_file(err_path);
  return outcome;
}

}  // namespace test_support
