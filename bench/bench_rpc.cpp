// Round trip of one small call (echo_u32) through agent_host, with 1 and 8
// concurrent clients, next to a raw Unix-socket echo server answering with a
// frame of the same size. Prints BENCH lines.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/CRawEchoServer.h"
#include "frame/wire.h"
#include "platform/base/CRpcService.h"
#include "test_support/CHostProcess.h"
#include "test_support/TempDir.h"

namespace {

typedef std::chrono::steady_clock Clock;

const double kSecondsPerRun = 2.0;
const unsigned kEchoValue = 42;

struct Result {
  double calls_per_s = 0;
  double p50_us = 0;
  double p99_us = 0;
  bool ok = false;
};

// The request block of echo_u32(kEchoValue); empty on failure.
std::string echo_request() {
  rpc::CRpcService service;
  rpc::IRpcFactory* factory = service.factory();
  rpc::IRequest* request = factory->create_request("echo_u32");
  if (request == nullptr) return std::string();
  unsigned value = kEchoValue;
  request->params()->append(factory->create_value(rpc::kTypeUInt32, &value, rpc::kCopy));
  std::string payload(request->size(), '\0');
  std::size_t written = request->serialize(&payload[0], payload.size());
  request->release();
  if (written != payload.size()) return std::string();
  return wire::make_request_block("ITestIface", payload);
}

// One call: the request frame out, frames in until the final one, whose
// body lands in `final_body`.
bool round_trip(int fd, const std::string& block, std::string& final_body) {
  if (!wire::write_frame(fd, block.data(), block.size())) return false;
  do {
    if (!wire::read_frame(fd, final_body, wire::kMaxReplyBody) || final_body.empty()) return false;
  } while (static_cast<unsigned char>(final_body[0]) != wire::kFrameFinal);
  return true;
}

// `clients` threads, each on its own connection, call for kSecondsPerRun.
Result measure(const std::string& socket, const std::string& block, int clients) {
  std::vector<std::vector<float> > latencies(clients);
  std::vector<int> fds;
  for (int i = 0; i < clients; ++i) {
    int fd = wire::connect_unix(socket);
    if (fd < 0) {
      for (int open_fd : fds) ::close(open_fd);
      return Result();
    }
    fds.push_back(fd);
  }
  std::atomic<bool> failed(false);
  Clock::time_point start = Clock::now();
  Clock::time_point end = start + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(kSecondsPerRun));
  std::vector<std::thread> threads;
  for (int i = 0; i < clients; ++i) {
    threads.emplace_back([&, i] {
      std::string body;
      latencies[i].reserve(1 << 20);
      for (Clock::time_point now = Clock::now(); now < end;) {
        if (!round_trip(fds[i], block, body)) {
          failed = true;
          return;
        }
        Clock::time_point done = Clock::now();
        latencies[i].push_back(std::chrono::duration<float, std::micro>(done - now).count());
        now = done;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  for (int fd : fds) ::close(fd);
  std::vector<float> all;
  for (const auto& list : latencies) all.insert(all.end(), list.begin(), list.end());
  Result result;
  if (failed || all.empty()) return result;
  std::sort(all.begin(), all.end());
  result.calls_per_s = all.size() / elapsed;
  result.p50_us = all[all.size() / 2];
  result.p99_us = all[std::min(all.size() - 1, all.size() * 99 / 100)];
  result.ok = true;
  return result;
}

void print(const std::string& prefix, const std::string& suffix, const Result& result) {
  std::printf("BENCH %s_calls_per_s_%s %.0f calls/s\n", prefix.c_str(), suffix.c_str(),
              result.calls_per_s);
  std::printf("BENCH %s_p50_%s %.1f us\n", prefix.c_str(), suffix.c_str(), result.p50_us);
  std::printf("BENCH %s_p99_%s %.1f us\n", prefix.c_str(), suffix.c_str(), result.p99_us);
  std::fflush(stdout);
}

}  // namespace

int main() {
  std::string block = echo_request();
  if (block.empty()) {
    std::fprintf(stderr, "bench_rpc: could not build the request\n");
    return 1;
  }
  test_support::TempDir dir;
  test_support::CHostProcess host(dir.file("host.log"));
  if (!host.start(std::string(AGENT_BIN_DIR) + "/agent_host", dir.path(), AGENT_LIB_DIR,
                  "test_iface")) {
    std::fprintf(stderr, "bench_rpc: %s\n", host.error().c_str());
    return 1;
  }
  // The raw server answers with exactly the host's final frame.
  std::string reply_body;
  int fd = wire::connect_unix(host.socket_path());
  bool probed = fd >= 0 && round_trip(fd, block, reply_body);
  if (fd >= 0) ::close(fd);
  CRawEchoServer raw(reply_body);
  if (!probed || !raw.start(dir.file("raw.sock"))) {
    std::fprintf(stderr, "bench_rpc: could not probe the host or start the raw server\n");
    return 1;
  }
  std::printf("BENCH rpc_reply_frame_size %zu bytes\n", reply_body.size());
  const struct {
    int clients;
    const char* suffix;
  } runs[] = {{1, "1client"}, {8, "8clients"}};
  int status = 0;
  for (const auto& run : runs) {
    Result rpc = measure(host.socket_path(), block, run.clients);
    Result echo = measure(dir.file("raw.sock"), block, run.clients);
    if (!rpc.ok || !echo.ok) {
      std::fprintf(stderr, "bench_rpc: a run with %d client(s) failed\n", run.clients);
      status = 1;
      continue;
    }
    print("rpc", run.suffix, rpc);
    print("raw_echo", run.suffix, echo);
    std::printf("BENCH rpc_vs_raw_ratio_%s %.2f x\n", run.suffix,
                echo.calls_per_s / rpc.calls_per_s);
  }
  raw.stop();
  if (host.stop() != 0) {
    std::fprintf(stderr, "bench_rpc: agent_host did not exit cleanly on SIGTERM\n");
    status = 1;
  }
  return status;
}
