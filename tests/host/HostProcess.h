// The real agent_host binary run as a child process on a temporary install
// directory, for the host tests.
#ifndef TESTS_HOST_HOSTPROCESS_H_
#define TESTS_HOST_HOSTPROCESS_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace test_host {

class HostProcess {
 public:
  // The child's standard error goes to `stderr_path`.
  explicit HostProcess(const std::string& stderr_path);
  // Kills the child if it still runs.
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  // Starts agent_host with `arguments` and waits for its "serving on" line.
  // False when it ends (or says nothing for a long while) before that.
  bool start(const std::vector<std::string>& arguments);
  // Sends `signal_number` (if still running) and waits for the end.
  // Returns the exit status, or 128 + the signal when killed by one.
  int stop(int signal_number);
  // Waits for the end without sending anything.
  int wait_exit();

  const std::string& serving_line() const { return serving_line_; }
  std::string stderr_text() const;

 private:
  std::string stderr_path_;
  pid_t pid_;
  int stdout_fd_;
  std::string serving_line_;
};

}  // namespace test_host

#endif  // TESTS_HOST_HOSTPROCESS_H_
