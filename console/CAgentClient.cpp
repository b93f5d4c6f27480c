#include "console/CAgentClient.h"

#include <errno.h>
#include <unistd.h>

#include <cstring>

#include "frame/wire.h"

namespace console {

CAgentClient::~CAgentClient() {
  if (fd_ >= 0) ::close(fd_);
}

bool CAgentClient::connect(const std::string& socket_path, std::string& error) {
  if (fd_ >= 0) ::close(fd_);
  path_ = socket_path;
  fd_ = wire::connect_unix(socket_path);
  if (fd_ >= 0) return true;
  error = "cannot reach the agent at " + socket_path + ": " + std::strerror(errno);
  return false;
}

bool CAgentClient::call(const std::string& block,
                        const std::function<void(const Frame&)>& on_frame, std::string& error) {
  if (fd_ < 0) return fail("not connected", error);
  if (block.size() > wire::kMaxRequestBody) {
    return fail("request of " + std::to_string(block.size()) + " bytes is above the limit of " +
                    std::to_string(wire::kMaxRequestBody),
                error);
  }
  if (!wire::write_frame(fd_, block.data(), block.size())) {
    return fail(std::string("sending the request failed: ") + std::strerror(errno), error);
  }
  Frame frame;
  while (!frame.final) {
    std::string body;
    errno = 0;
    if (!wire::read_frame(fd_, body, wire::kMaxReplyBody)) {
      return fail(errno != 0 ? std::string("reading the answer failed: ") + std::strerror(errno)
                             : "the connection ended before the final answer",
                  error);
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(body.data());
    if (body.size() < wire::kReplyHeader ||
        (bytes[0] != wire::kFrameIntermediate && bytes[0] != wire::kFrameFinal)) {
      return fail("the agent sent a malformed frame", error);
    }
    frame.final = bytes[0] == wire::kFrameFinal;
    frame.code = wire::get_u32(bytes + 1);
    frame.reply.assign(body, wire::kReplyHeader, std::string::npos);
    on_frame(frame);
  }
  return true;
}

bool CAgentClient::fail(const std::string& what, std::string& error) {
  error = what + " (socket " + path_ + ")";
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  return false;
}

}  // namespace console
