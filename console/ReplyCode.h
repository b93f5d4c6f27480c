// How the console shows and judges result codes.
#ifndef CONSOLE_REPLYCODE_H_
#define CONSOLE_REPLYCODE_H_

#include "frame/ec.h"

namespace console {

// Success codes have bit 31 set. The one exception is the reply-too-long
// code: it carries bit 31 although the agent made no reply.
inline bool code_ok(ec::EC code) {
  return ec::succeeded(code) && code != ec::kRpcReplyTooLong;
}

}  // namespace console

#endif  // CONSOLE_REPLYCODE_H_
