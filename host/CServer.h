// Serves the console connections of a listening socket with a pool of
// worker threads sharing one epoll set: each worker waits for one event,
// handles that connection inline (read, answer whole requests, re-arm),
// then waits again. Connections are armed one-shot, so one connection is
// handled by one thread at a time, and a long call holds only its own
// worker.
#ifndef HOST_CSERVER_H_
#define HOST_CSERVER_H_

#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "host/CConnection.h"
#include "host/CRequestHandler.h"

namespace host {

class CServer {
 public:
  // Connections above this count are accepted and closed at once.
  static const std::size_t kMaxConnections = 256;

  // `handler` must outlive the server.
  CServer(const CRequestHandler& handler, unsigned threads);
  // Stops the workers.
  ~CServer();
  CServer(const CServer&) = delete;
  CServer& operator=(const CServer&) = delete;

  // Starts the workers on `listen_fd`, a listening non-blocking socket that
  // stays the caller's. False with `error` set when the epoll set or a
  // thread cannot be made; nothing then runs.
  bool start(int listen_fd, std::string& error);
  // Wakes every worker, waits for each to finish its current request, and
  // closes every connection. Idempotent; call from the thread that started.
  void stop();

 private:
  void work();
  void accept_all();
  void serve(CConnection* connection);
  bool answer_frames(CConnection& connection);
  bool arm(int fd, void* tag, int operation);
  void drop(CConnection* connection);

  const CRequestHandler& handler_;
  const unsigned thread_count_;
  int listen_fd_;
  int epoll_fd_;
  int stop_fd_;  // eventfd: readable once stop() ran
  std::vector<std::thread> workers_;
  std::mutex connections_mutex_;
  std::unordered_set<CConnection*> connections_;  // guarded by connections_mutex_
  // Addresses that tag the listening socket and the stop event in epoll.
  char listen_tag_;
  char stop_tag_;
};

}  // namespace host

#endif  // HOST_CSERVER_H_
