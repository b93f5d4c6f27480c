// Posts one range to the agent's intake queue, the way other agent processes
// hand ranges to the IP blacklist plug-in: a System V message of type
// kMessageType whose kTextSize-byte text starts with the 12-byte IpScope in
// host order and is zero after it.
//
// The queue is opened, never created: when it does not exist no agent is
// reading it and posting fails. Sending never blocks; a full queue is tried
// kAttempts times in all. Posting tells nothing about what the agent makes
// of the range: there is no reply.
//
// Stateless apart from the key; safe from several threads.
#ifndef CONSOLE_CINTAKEPOSTER_H_
#define CONSOLE_CINTAKEPOSTER_H_

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "platform/ipfilter/IpScope.h"

namespace console {

class CIntakePoster {
 public:
  static const key_t kIntakeKey = 0x7A6D6C72;  // "zmlr"
  static const long kMessageType = 2;
  static const std::size_t kTextSize = 1032;
  static const int kAttempts = 3;

  explicit CIntakePoster(key_t key = kIntakeKey) : key_(key) {}

  // True once the message is on the queue. False with `error` when the
  // queue does not exist, stays full, or refuses the message.
  bool post(const rpc::IpScope& scope, std::string& error) const;

 private:
  key_t key_;
};

}  // namespace console

#endif  // CONSOLE_CINTAKEPOSTER_H_
