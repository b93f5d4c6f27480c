#include "ip_blacklist/CIpcMsgQueue.h"

#include <sys/ipc.h>
#include <sys/msg.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace {

const int kQueueMode = 0666;

// The message as msgsnd/msgrcv lay it out: the type (a native long) and
// the text.
struct Message {
  long type;
  char text[CIpcMsgQueue::kTextSize];
};

bool worth_resending(int error) { return error == EINTR || error == EAGAIN || error == ENOMEM; }

}  // namespace

int CIpcMsgQueue::init(key_t key) {
  int id = ::msgget(key, IPC_CREAT | kQueueMode);
  if (id < 0) {
    error_ = errno;
    msqid = -1;
    return -1;
  }
  msqid = id;
  return 0;
}

bool CIpcMsgQueue::recv_msg(long type, void* destination, std::size_t length) {
  if (destination == nullptr || length > kTextSize) {
    error_ = EINVAL;
    return false;
  }
  std::unique_ptr<Message> message(new (std::nothrow) Message);
  if (!message) {
    error_ = ENOMEM;
    return false;
  }
  for (;;) {
    std::memset(message.get(), 0, sizeof(Message));
    ssize_t received = ::msgrcv(msqid, message.get(), kTextSize, type, MSG_NOERROR);
    if (received >= 0) {
      // A message too short to hold what the caller asks for is a sender's
      // fault; it is consumed and the wait goes on.
      if (static_cast<std::size_t>(received) < length) continue;
      std::memcpy(destination, message->text, length);
      return true;
    }
    if (errno == EINTR || errno == EAGAIN) continue;
    error_ = errno;
    return false;
  }
}

bool CIpcMsgQueue::send_msg(long type, const void* data, std::size_t length) {
  if (data == nullptr || length > kTextSize) {
    error_ = EINVAL;
    return false;
  }
  std::unique_ptr<Message> message(new (std::nothrow) Message);
  if (!message) {
    error_ = ENOMEM;
    return false;
  }
  std::memset(message.get(), 0, sizeof(Message));
  message->type = type;
  std::memcpy(message->text, data, length);
  for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
    if (::msgsnd(msqid, message.get(), kTextSize, IPC_NOWAIT) == 0) return true;
    error_ = errno;
    if (!worth_resending(error_)) return false;
  }
  return false;
}

bool CIpcMsgQueue::destory_mq() {
  if (::msgctl(msqid, IPC_RMID, nullptr) == 0) return true;
  error_ = errno;
  return false;
}
