// A plain Unix-socket server for comparison with the host: one thread per
// connection reads a frame and answers each with the same fixed frame body.
// It does no decoding and no dispatch, so it shows what the socket round
// trip alone costs.
//
// start() and stop() are called from one thread; the connection threads
// only read the reply body, which does not change while running.
#ifndef BENCH_CRAWECHOSERVER_H_
#define BENCH_CRAWECHOSERVER_H_

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CRawEchoServer {
 public:
  // `reply_body` is what every request gets back.
  explicit CRawEchoServer(const std::string& reply_body) : reply_(reply_body) {}
  ~CRawEchoServer() { stop(); }
  CRawEchoServer(const CRawEchoServer&) = delete;
  CRawEchoServer& operator=(const CRawEchoServer&) = delete;

  // Listens on `path` (removed first if it exists). False on failure.
  bool start(const std::string& path);
  // Stops accepting and waits for the connections to be closed by their
  // clients.
  void stop();

 private:
  void accept_loop();
  void serve(int fd);

  const std::string reply_;
  std::string path_;
  int listen_fd_ = -1;
  std::thread acceptor_;
  std::mutex mutex_;                    // guards workers_
  std::vector<std::thread> workers_;
};

#endif  // BENCH_CRAWECHOSERVER_H_
