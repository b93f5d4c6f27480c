#include "console/CIntakePoster.h"

#include <errno.h>
#include <sys/ipc.h>
#include <sys/msg.h>

#include <cstdio>
#include <cstring>

namespace console {

namespace {

struct Message {
  long type;
  char text[CIntakePoster::kTextSize];
};

std::string key_text(key_t key) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(key));
  return text;
}

bool transient(int error) { return error == EINTR || error == EAGAIN || error == ENOMEM; }

}  // namespace

bool CIntakePoster::post(const rpc::IpScope& scope, std::string& error) const {
  int queue = ::msgget(key_, 0);
  if (queue < 0) {
    error = errno == ENOENT
                ? "there is no intake queue (key " + key_text(key_) +
                      "): no agent is reading it; nothing was posted"
                : "cannot open the intake queue (key " + key_text(key_) +
                      "): " + std::strerror(errno);
    return false;
  }
  Message message;
  std::memset(&message, 0, sizeof message);
  message.type = kMessageType;
  std::memcpy(message.text, &scope, sizeof scope);
  int last_error = 0;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (::msgsnd(queue, &message, kTextSize, IPC_NOWAIT) == 0) return true;
    last_error = errno;
    if (!transient(last_error)) break;
  }
  error = last_error == EAGAIN
              ? "the intake queue (key " + key_text(key_) + ") is full; nothing was posted"
              : "posting to the intake queue (key " + key_text(key_) +
                    ") failed: " + std::strerror(last_error);
  return false;
}

}  // namespace console
