// The intake thread: takes the address ranges that other agent processes
// post on the System V queue keyed "zmlr" (message type 2, text starting
// with a 12-byte rpc::IpScope) and adds each one through the manager, as an
// RPC call without a command would.
//
// The thread runs until the process ends. When the queue disappears under
// it, the thread writes one line to the manager's log, pauses about a second
// and reopens (recreates) the queue, once a second until that works.
#ifndef IP_BLACKLIST_CUNIXADDIP_H_
#define IP_BLACKLIST_CUNIXADDIP_H_

#include <ace/Task.h>
#include <sys/types.h>

#include <atomic>

#include "ip_blacklist/CIpcMsgQueue.h"

namespace rpc {

class IIpBlackListManager;

class CUnixAddIp : public ACE_Task<ACE_MT_SYNCH> {
 public:
  static constexpr key_t kQueueKey = 0x7A6D6C72;  // "zmlr"
  static constexpr long kIntakeType = 2;

  CUnixAddIp() = default;
  CUnixAddIp(const CUnixAddIp&) = delete;
  CUnixAddIp& operator=(const CUnixAddIp&) = delete;

  using ACE_Task<ACE_MT_SYNCH>::init;
  // `manager` (an IIpBlackListManager*, not owned) must outlive the thread.
  // 0 once the queue is open and the thread runs (also when it already
  // ran); -1 for a null manager, a queue that cannot be opened or a thread
  // that cannot be started.
  int init(void* manager);

  int svc() override;

  // Ends the thread: marks it stopping and removes the queue, which wakes
  // the blocked receive, then joins it. Removing the queue drops whatever
  // waits in it, so only tests call this, inside an IPC namespace of their
  // own.
  void shutdown();

  // Receives that failed since the thread started.
  unsigned int failed_receives() const { return failed_receives_.load(); }

  CIpcMsgQueue queue;
  IIpBlackListManager* manager = nullptr;

 private:
  // Logs the start of an outage once, pauses, reopens the queue.
  void recover(bool& in_outage);

  std::atomic<bool> stopping_{false};
  std::atomic<unsigned int> failed_receives_{0};
};

}  // namespace rpc

#endif  // IP_BLACKLIST_CUNIXADDIP_H_
