// Runs a program to its end for a test or benchmark and keeps what it
// printed, optionally inside the IPC namespace of another process (e.g.
// CHostProcess::ipc_namespace()), so that it reaches that process's System V
// queues.
//
// Output goes through two files below a scratch directory given by the
// caller, which must exist and be writable. Stateless; safe from several
// threads as long as they use different scratch directories.
#ifndef TEST_SUPPORT_CPROGRAM_H_
#define TEST_SUPPORT_CPROGRAM_H_

#include <string>
#include <vector>

namespace test_support {

class CProgram {
 public:
  struct Outcome {
    int status = -1;  // exit status; 128 + signal; -1 when it could not run
    std::string out;
    std::string err;
  };

  static const int kNoNamespace = 125;  // status when the namespace cannot be entered

  // Runs argv[0] (a path) with argv. With `ipc_namespace`, the program runs
  // in that IPC namespace, or ends with kNoNamespace when it cannot.
  static Outcome run(const std::vector<std::string>& argv, const std::string& scratch_dir,
                     const std::string& ipc_namespace = std::string());
};

}  // namespace test_support

#endif  // TEST_SUPPORT_CPROGRAM_H_
