// How the console shows and judges result codes.
#ifndef CONSOLE_REPLYCODE_H_
#define CONSOLE_REPLYCODE_H_

#include <cstdio>
#include <string>

#include "frame/ec.h"

namespace console {

// "0x983C0000": upper-case hex, eight digits.
inline std::string code_text(ec::EC code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

// Success codes have bit 31 set. The one exception is the reply-too-long
// code: it carries bit 31 although the agent made no reply.
inline bool code_ok(ec::EC code) {
  return ec::succeeded(code) && code != ec::kRpcReplyTooLong;
}

}  // namespace console

#endif  // CONSOLE_REPLYCODE_H_
