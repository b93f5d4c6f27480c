// The life of the host process once its options are read: framework
// objects, plug-ins, the console socket, and the orderly end on SIGTERM or
// SIGINT.
#ifndef HOST_CHOST_H_
#define HOST_CHOST_H_

#include <signal.h>

#include "frame/rpc.h"
#include "host/COptions.h"

namespace host {

class CHost {
 public:
  // `options` must outlive the host.
  explicit CHost(const COptions& options);
  CHost(const CHost&) = delete;
  CHost& operator=(const CHost&) = delete;

  // Call from the main thread before any other thread exists: blocks
  // SIGTERM and SIGINT (every later thread inherits that, so they reach
  // run() only) and ignores SIGPIPE.
  static void block_signals();

  // Registers the framework and host objects, opens the socket, loads the
  // plug-ins and serves until SIGTERM or SIGINT arrives; then stops serving,
  // releases and closes the plug-ins, unregisters the objects and removes
  // the socket. The working directory must already be the install
  // directory. Returns the exit status: 0 after a signal, 1 when start-up
  // failed (reported on standard error).
  int run();

 private:
  int serve_until_signal(int listen_fd, rpc::IRpcFactory& factory);
  static int wait_for_stop_signal();

  const COptions& options_;
};

}  // namespace host

#endif  // HOST_CHOST_H_
