// One console connection: its socket, the bytes read but not yet handled,
// and writing of reply frames.
#ifndef HOST_CCONNECTION_H_
#define HOST_CCONNECTION_H_

#include <sys/uio.h>

#include <cstddef>
#include <mutex>
#include <vector>

#include "frame/ec.h"

namespace host {

// Only one thread at a time reads and handles requests of a connection (the
// server arms it one-shot). write_reply() may also be called from the
// thread of a call answering on it; writes are serialized by a mutex.
class CConnection {
 public:
  // How long one reply frame may take to leave before the client is given
  // up as dead.
  static const int kWriteTimeoutMs = 10000;

  enum ReadResult {
    kRead,    // bytes were added
    kAgain,   // nothing there now
    kClosed,  // end of stream or error
  };
  enum FrameResult {
    kFrame,     // `block` holds one whole request block
    kPartial,   // more bytes needed
    kTooLarge,  // the announced length is above the limit
  };

  // Takes over `fd`, a connected non-blocking stream socket.
  explicit CConnection(int fd);
  ~CConnection();
  CConnection(const CConnection&) = delete;
  CConnection& operator=(const CConnection&) = delete;

  int fd() const { return fd_; }

  // One read of what the socket holds into the buffer.
  ReadResult fill();
  // The next whole request block in the buffer. `block` stays valid until
  // the next fill() or next_frame().
  FrameResult next_frame(const unsigned char*& block, std::size_t& length);

  // Writes one whole reply frame: type, code, body. False when the client is
  // gone or too slow; the connection is then dead and every later write
  // fails at once.
  bool write_reply(unsigned char type, ec::EC code, const unsigned char* body,
                   std::size_t length);
  bool dead() const;

  // Held by the thread serving the connection from its wake-up until the
  // connection is re-armed (or until just before it is deleted). One-shot
  // arming already keeps two threads apart; the lock states that order in
  // the program, where thread checkers see it, and is free when uncontended.
  std::mutex& turn() { return turn_; }

 private:
  bool write_all(iovec* parts, int count);
  bool wait_writable(long long deadline_ms);
  void make_room();

  const int fd_;
  std::vector<unsigned char> buffer_;
  std::size_t begin_;  // first byte not yet handled
  std::size_t end_;    // one past the last byte read
  mutable std::mutex write_mutex_;
  bool dead_;  // guarded by write_mutex_
  std::mutex turn_;
};

}  // namespace host

#endif  // HOST_CCONNECTION_H_
