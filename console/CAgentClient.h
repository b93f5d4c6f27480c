// One connection to the agent's Unix socket: sends request blocks and reads
// the frames that answer them.
//
// Owns its socket and closes it on destruction. One call at a time; not
// thread-safe.
#ifndef CONSOLE_CAGENTCLIENT_H_
#define CONSOLE_CAGENTCLIENT_H_

#include <functional>
#include <string>

#include "frame/ec.h"

namespace console {

class CAgentClient {
 public:
  // One frame of an answer: the code it carries and the serialized reply
  // (empty when the agent made no reply).
  struct Frame {
    bool final = false;
    ec::EC code = 0;
    std::string reply;
  };

  CAgentClient() = default;
  ~CAgentClient();
  CAgentClient(const CAgentClient&) = delete;
  CAgentClient& operator=(const CAgentClient&) = delete;

  // False with `error` naming the socket and the reason.
  bool connect(const std::string& socket_path, std::string& error);

  // Sends `block` and passes every frame of the answer to `on_frame`, in
  // arrival order, the final one last. False with `error` when sending or
  // reading fails or a frame is malformed; the connection is then closed.
  bool call(const std::string& block, const std::function<void(const Frame&)>& on_frame,
            std::string& error);

 private:
  bool fail(const std::string& what, std::string& error);

  int fd_ = -1;
  std::string path_;
};

}  // namespace console

#endif  // CONSOLE_CAGENTCLIENT_H_
