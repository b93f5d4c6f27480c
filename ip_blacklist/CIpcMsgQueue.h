// A handle on one System V message queue carrying fixed-size messages: a
// message type and 1032 text bytes.
//
// Not thread-safe as a whole: init() changes the handle. recv_msg() and
// send_msg() only read it, so one thread may receive while others send
// through the same handle once it is open.
#ifndef IP_BLACKLIST_CIPCMSGQUEUE_H_
#define IP_BLACKLIST_CIPCMSGQUEUE_H_

#include <sys/types.h>

#include <cstddef>

class CIpcMsgQueue {
 public:
  static constexpr std::size_t kTextSize = 1032;  // text bytes of every message
  static constexpr int kSendAttempts = 3;

  CIpcMsgQueue() = default;
  CIpcMsgQueue(const CIpcMsgQueue&) = delete;
  CIpcMsgQueue& operator=(const CIpcMsgQueue&) = delete;

  // Opens the queue of `key`, creating it (mode 0666) when absent. 0 on
  // success, -1 otherwise (the handle is then unusable).
  int init(key_t key);

  // Waits for a message of `type` and copies the first `length` bytes of
  // its text to `destination` (at most kTextSize). Interrupted waits are
  // resumed. A longer message is cut to kTextSize bytes and a message of
  // fewer than `length` text bytes is dropped: both leave the queue. Other
  // messages types stay in the queue. False for a null destination, a
  // length above kTextSize, no memory, or a lasting failure (the queue
  // removed, for one); last_error() then tells which.
  bool recv_msg(long type, void* destination, std::size_t length);

  // Posts `length` bytes (at most kTextSize) of `data` as the start of a
  // zeroed message of `type`, without waiting. An interrupted call, a full
  // queue or lack of memory is retried, kSendAttempts attempts in all.
  bool send_msg(long type, const void* data, std::size_t length);

  // Removes the queue; true when msgctl succeeded.
  bool destory_mq();

  int id() const { return msqid; }
  // errno of the last failed call of this handle (0 before any failure).
  int last_error() const { return error_; }

 private:
  int msqid = -1;
  int error_ = 0;
};

#endif  // IP_BLACKLIST_CIPCMSGQUEUE_H_
