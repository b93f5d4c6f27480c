#include "ip_blacklist/CUnixAddIp.h"

#include <sys/ipc.h>
#include <sys/msg.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "ip_blacklist/IIpBlackListManager.h"

namespace rpc {

namespace {
const std::chrono::milliseconds kReopenPause(1000);
const std::chrono::milliseconds kShutdownPoll(10);
}  // namespace

int CUnixAddIp::init(void* owner) {
  if (owner == nullptr) return -1;
  manager = static_cast<IIpBlackListManager*>(owner);
  if (queue.init(kQueueKey) != 0) return -1;
  if (thr_count() > 0) return 0;
  return activate() == 0 ? 0 : -1;
}

int CUnixAddIp::svc() {
  bool in_outage = false;
  while (!stopping_.load()) {
    IpScope scope;
    std::memset(&scope, 0, sizeof scope);
    if (queue.recv_msg(kIntakeType, &scope, sizeof scope)) {
      in_outage = false;
      if (stopping_.load()) break;
      manager->add_ip_scope_into_blacklist(nullptr, scope);
      continue;
    }
    if (stopping_.load()) break;
    ++failed_receives_;
    recover(in_outage);
  }
  return 0;
}

void CUnixAddIp::recover(bool& in_outage) {
  if (!in_outage) {
    manager->log.write_log("[intake] message queue unavailable (errno %d), reopening it",
                           queue.last_error());
    in_outage = true;
  }
  std::this_thread::sleep_for(kReopenPause);
  if (!stopping_.load()) queue.init(kQueueKey);
}

void CUnixAddIp::shutdown() {
  stopping_ = true;
  // The thread may recreate the queue just before it sees the flag, so
  // remove whatever queue has the key until the thread is gone.
  while (thr_count() > 0) {
    int id = ::msgget(kQueueKey, 0);
    if (id >= 0) ::msgctl(id, IPC_RMID, nullptr);
    std::this_thread::sleep_for(kShutdownPoll);
  }
  wait();
}

}  // namespace rpc
