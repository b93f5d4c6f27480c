// Runs agent_host as a child process on a given install directory, for
// end-to-end tests and benchmarks: start, wait until its socket answers,
// stop with SIGTERM.
//
// The socket is <install_dir>/tmp/agent.sock and the host's output goes to
// <install_dir>/host.log. The destructor stops a host still running. Not
// thread-safe.
#ifndef TESTS_E2E_CHOSTPROCESS_H_
#define TESTS_E2E_CHOSTPROCESS_H_

#include <sys/types.h>

#include <string>

class CHostProcess {
 public:
  CHostProcess() = default;
  ~CHostProcess();
  CHostProcess(const CHostProcess&) = delete;
  CHostProcess& operator=(const CHostProcess&) = delete;

  // Makes tmp/ and runlog/ below `install_dir`, starts `host_binary` with
  // the plug-ins of `plugin_dir` (only those named in `plugins`, a comma
  // list, unless it is empty) and waits up to 20 s for the socket. False
  // with `error` when the host exits or does not answer in time.
  bool start(const std::string& host_binary, const std::string& install_dir,
             const std::string& plugin_dir, const std::string& plugins, std::string& error);

  // Sends SIGTERM and waits up to 20 s (then SIGKILL). Returns the exit
  // status, or -1 when it did not exit by itself or was not running.
  int stop();

  pid_t pid() const { return pid_; }
  const std::string& socket_path() const { return socket_; }
  const std::string& log_path() const { return log_; }

 private:
  bool wait_for_socket(std::string& error);
  // Reaps the child if it has ended; its status in `status`.
  bool reaped(int& status, int wait_ms);

  pid_t pid_ = -1;
  std::string socket_;
  std::string log_;
};

#endif  // TESTS_E2E_CHOSTPROCESS_H_
