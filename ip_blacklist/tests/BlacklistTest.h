// Helpers shared by the blacklist tests.
#ifndef IP_BLACKLIST_TESTS_BLACKLISTTEST_H_
#define IP_BLACKLIST_TESTS_BLACKLISTTEST_H_

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipfilter/IpScope.h"
#include "test_support/TempDir.h"

namespace blacklist_test {

// Whether main() moved the test process into an IPC namespace of its own;
// only then may tests touch System V queues.
extern bool g_private_ipc;

inline unsigned int ip(unsigned a, unsigned b, unsigned c, unsigned d) {
  return (a << 24) | (b << 16) | (c << 8) | d;
}

inline bool same(const rpc::IpScope& x, const rpc::IpScope& y) {
  return x.start_ip == y.start_ip && x.end_ip == y.end_ip && x.time_out == y.time_out;
}

inline bool same(const std::vector<rpc::IpScope>& x, const std::vector<rpc::IpScope>& y) {
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (!same(x[i], y[i])) return false;
  return true;
}

// The messages of "runlog/ip_blacklist.txt" below `dir`, time stamps cut off.
inline std::vector<std::string> log_messages(const test_support::TempDir& dir) {
  std::string text = dir.read("runlog/ip_blacklist.txt");
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    const std::size_t stamp = 19;  // "YYYY/MM/DD hh:mm:ss"
    std::size_t message = line.find_first_not_of(' ', stamp);
    lines.push_back(message == std::string::npos ? std::string() : line.substr(message));
    start = end + 1;
  }
  return lines;
}

// Polls `done` until it holds or about five seconds pass.
inline bool wait_until(const std::function<bool()>& done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

}  // namespace blacklist_test

#endif  // IP_BLACKLIST_TESTS_BLACKLISTTEST_H_
