// The real agent_host binary run as a child process, for tests and
// benchmarks: start it, wait for its "serving on" line, stop it with a signal.
//
// The child's standard error is appended to the log file named at
// construction; its standard output is read here until the serving line.
// A start fails (false, reason in error()) when the child ends, or prints no
// serving line within the timeout, in which case it is killed. A child that
// outlasts a stop's timeout is killed with SIGKILL. The destructor kills a
// child still running. Not thread-safe; one child at a time per object.
//
// With use_private_namespaces(), the child runs in new mount, network and
// IPC namespaces of its own, so that what the agent does to the firewall
// and to System V queues never reaches the machine. Its socket is a path in
// the file system, which reaches across network namespaces.
#ifndef TEST_SUPPORT_CHOSTPROCESS_H_
#define TEST_SUPPORT_CHOSTPROCESS_H_

#include <signal.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace test_support {

class CHostProcess {
 public:
  static const int kStartTimeoutMs = 60000;  // generous: sanitizer builds start slowly
  static const int kStopTimeoutMs = 20000;

  explicit CHostProcess(const std::string& log_path);
  ~CHostProcess();
  CHostProcess(const CHostProcess&) = delete;
  CHostProcess& operator=(const CHostProcess&) = delete;

  // Runs `program` (the agent_host binary) with `arguments` and waits up to
  // `timeout_ms` for its serving line. False when one is already running.
  bool start(const std::string& program, const std::vector<std::string>& arguments,
             int timeout_ms = kStartTimeoutMs);
  // Makes tmp/ and runlog/ below `install_dir` and serves on
  // <install_dir>/tmp/agent.sock with the plug-ins of `plugin_dir`: only
  // those named in `plugins` (a comma list) unless it is empty.
  bool start(const std::string& program, const std::string& install_dir,
             const std::string& plugin_dir, const std::string& plugins,
             int timeout_ms = kStartTimeoutMs);

  // From the next start on, runs the child in new mount, network and IPC
  // namespaces in which /var/log/version_control names `install_dir` (a
  // file below `install_dir` bind-mounted over it, or, where the machine has
  // no such file, a tmpfs over /var/log holding one) and the loopback
  // device is up. A child that cannot enter them writes why to the log and
  // ends with status kNamespaceFailure.
  void use_private_namespaces(const std::string& install_dir);
  // Whether this process may make those namespaces; false with `why`.
  static bool namespaces_available(std::string& why);
  // "/proc/<pid>/ns/ipc" of the running child: where to send messages meant
  // for its System V queues. Empty when no child runs.
  std::string ipc_namespace() const;

  static const int kNamespaceFailure = 126;

  // Sends `signal_number` to a running child and waits for its end (see
  // wait_exit).
  int stop(int signal_number = SIGTERM, int timeout_ms = kStopTimeoutMs);
  // Waits up to `timeout_ms` for the child to end, then kills it. Returns
  // the exit status, or 128 + the signal that ended it; the same again once
  // it has been reaped; -1 when nothing was started.
  int wait_exit(int timeout_ms = kStopTimeoutMs);

  // The running child, or -1.
  pid_t pid() const { return pid_; }
  // From the last successful start: the whole serving line, and the socket
  // path it names.
  const std::string& serving_line() const { return serving_line_; }
  const std::string& socket_path() const { return socket_path_; }
  // Why the last start failed; empty after a success.
  const std::string& error() const { return error_; }
  const std::string& log_path() const { return log_path_; }
  // The log file's content so far.
  std::string log_text() const;

 private:
  bool spawn(const std::string& program, const std::vector<std::string>& arguments);
  bool await_serving_line(int timeout_ms);
  // Writes `line` to version_file_; false with error_ set.
  bool write_version_file(const std::string& line);
  // Reaps the child if it has ended; true then, with exit_status_ set.
  bool reaped(bool block);

  std::string log_path_;
  std::string private_install_dir_;  // empty: the child shares our namespaces
  std::string version_file_;         // its /var/log/version_control
  pid_t pid_ = -1;
  int stdout_fd_ = -1;
  int exit_status_ = -1;
  std::string serving_line_;
  std::string socket_path_;
  std::string error_;
};

}  // namespace test_support

#endif  // TEST_SUPPORT_CHOSTPROCESS_H_
