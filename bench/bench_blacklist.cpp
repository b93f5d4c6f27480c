// The IP blacklist at scale, through agent_host's socket to the real plug-in
// with filtering on. agent_host runs in mount, network and IPC namespaces of
// its own, so its packet filter works on a network namespace that ends with
// it. Measures:
//   - adding 100,000 distinct persistent ranges in batches of 2,000, querying
//     them all back (50 intermediate replies) and clearing them; the same add
//     with temporary ranges, which leaves the rule file alone;
//   - `ipset restore` of the same ranges into a hash:net set in a private
//     network namespace, as the reference for the add;
//   - single temporary and persistent add round trips with 100,000 and with
//     1,000,000 ranges present (p50, p99);
//   - agent_host's resident memory before and after the 100,000 ranges.
// Prints BENCH lines; exits 0 without them where namespaces are refused.
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "console/CAgentClient.h"
#include "console/CRequestBlock.h"
#include "console/Released.h"
#include "platform/base/CRpcService.h"
#include "platform/ipfilter/IpScope.h"
#include "test_support/CHostProcess.h"
#include "test_support/TempDir.h"

namespace {

typedef std::chrono::steady_clock Clock;

const char kIface[] = "IIpBlackListManager";
const ec::EC kOk = 0x983C0000;
const std::uint32_t kBase = 0x0B000000;  // 11.0.0.0: every range is one /28 above it
const std::uint32_t kRangeSize = 16;
const std::uint32_t kTempTimeout = 86400;
const std::size_t kBatch = 2000;
const std::size_t kHundredK = 100000;
const std::size_t kMillion = 1000000;
const char* const kIpsetPaths[] = {"/usr/sbin/ipset", "/sbin/ipset"};

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

rpc::IpScope range_at(std::size_t index, std::uint32_t time_out) {
  std::uint32_t start = kBase + static_cast<std::uint32_t>(index) * kRangeSize;
  return rpc::IpScope{start, start + kRangeSize - 1, time_out};
}

// One connection to the agent speaking IIpBlackListManager.
class Client {
 public:
  explicit Client(rpc::IRpcFactory& factory) : factory_(factory) {}

  bool connect(const std::string& socket) {
    std::string error;
    if (client_.connect(socket, error)) return true;
    std::fprintf(stderr, "bench_blacklist: %s\n", error.c_str());
    return false;
  }

  // The code of the final reply; 0 when the call did not get through.
  // Counts the entries and intermediate replies of a query when asked.
  ec::EC call(const std::string& method, rpc::IParams* argument, std::size_t* entries = nullptr,
              std::size_t* intermediates = nullptr) {
    console::Released<rpc::IRequest> request(factory_.create_request(method));
    if (argument != nullptr) request->params()->append(argument);
    std::string block;
    std::string error;
    if (console::CRequestBlock::make(kIface, *request, block, error) !=
        console::CRequestBlock::kMade) {
      std::fprintf(stderr, "bench_blacklist: %s\n", error.c_str());
      return 0;
    }
    ec::EC code = 0;
    auto on_frame = [&](const console::CAgentClient::Frame& frame) {
      console::Released<rpc::IReply> reply(factory_.create_reply(nullptr, 0));
      if (!reply->parse(frame.reply.data(), frame.reply.size())) return;
      if (frame.final) code = reply->code();
      if (intermediates != nullptr && !frame.final) ++*intermediates;
      rpc::IParams* results = reply->results();
      if (entries != nullptr && results != nullptr && results->count() == 1 &&
          results->at(0)->type() == rpc::kTypeArray) {
        *entries += static_cast<std::vector<rpc::IParams*>*>(results->at(0)->value())->size();
      }
    };
    if (!client_.call(block, on_frame, error)) {
      std::fprintf(stderr, "bench_blacklist: %s: %s\n", method.c_str(), error.c_str());
      return 0;
    }
    return code;
  }

  ec::EC add_batch(std::size_t first, std::size_t count, std::uint32_t time_out) {
    std::vector<rpc::IParams*> elements;
    for (std::size_t i = first; i < first + count; ++i) {
      elements.push_back(fields(range_at(i, time_out)));
    }
    return call("add_ip_scope_into_blacklist2",
                factory_.create_value(rpc::kTypeArray, &elements, rpc::kCopy));
  }

  ec::EC add_one(const rpc::IpScope& scope) {
    return call("add_ip_scope_into_blacklist",
                factory_.create_value(rpc::kTypeRecord, fields(scope), rpc::kCopy));
  }

 private:
  rpc::IParams* fields(const rpc::IpScope& scope) {
    rpc::IParams* list = factory_.create_list();
    for (unsigned value : {scope.start_ip, scope.end_ip, scope.time_out}) {
      list->append(factory_.create_value(rpc::kTypeUInt32, &value, rpc::kCopy));
    }
    return list;
  }

  rpc::IRpcFactory& factory_;
  console::CAgentClient client_;
};

// Adds ranges [first, end) in batches; the elapsed ms, or -1 on failure.
double add_ranges(Client& client, std::size_t first, std::size_t end, std::uint32_t time_out) {
  Clock::time_point start = Clock::now();
  for (std::size_t i = first; i < end; i += kBatch) {
    ec::EC code = client.add_batch(i, std::min(kBatch, end - i), time_out);
    if (code != kOk) {
      std::fprintf(stderr, "bench_blacklist: batch at %zu answered 0x%08X\n", i, code);
      return -1;
    }
  }
  return ms_since(start);
}

// Round trips of `count` single adds of new ranges from `first` on; prints
// p50 and p99 under `name`.
bool single_adds(Client& client, const std::string& name, std::size_t first, std::size_t count,
                 std::uint32_t time_out) {
  std::vector<double> micros;
  for (std::size_t i = first; i < first + count; ++i) {
    Clock::time_point start = Clock::now();
    if (client.add_one(range_at(i, time_out)) != kOk) {
      std::fprintf(stderr, "bench_blacklist: %s: add %zu failed\n", name.c_str(), i);
      return false;
    }
    micros.push_back(ms_since(start) * 1000);
  }
  bench::report(name + "_p50", bench::percentile(micros, 0.5), "us");
  bench::report(name + "_p99", bench::percentile(micros, 0.99), "us");
  return true;
}

// `ipset restore` of ranges [0, count) into a hash:net set, run in a new
// network namespace; the elapsed ms from start to exit, or -1.
double ipset_restore(std::size_t count) {
  const char* ipset = nullptr;
  for (const char* path : kIpsetPaths) {
    if (ipset == nullptr && ::access(path, X_OK) == 0) ipset = path;
  }
  if (ipset == nullptr) {
    std::fprintf(stderr, "bench_blacklist: no ipset program; no reference figure\n");
    return -1;
  }
  std::string text = "create bench hash:net family inet hashsize 65536 maxelem " +
                     std::to_string(2 * count) + "\n";
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t start = range_at(i, 0).start_ip;
    char line[64];
    std::snprintf(line, sizeof line, "add bench %u.%u.%u.%u/28\n", start >> 24,
                  (start >> 16) & 255, (start >> 8) & 255, start & 255);
    text += line;
  }
  int in[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return -1;
  Clock::time_point start = Clock::now();
  pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in[0], STDIN_FILENO);
    if (::unshare(CLONE_NEWNET) != 0) ::_exit(126);
    char* argv[] = {const_cast<char*>(ipset), const_cast<char*>("restore"), nullptr};
    ::execv(ipset, argv);
    ::_exit(127);
  }
  ::close(in[0]);
  bool written = child > 0;
  for (std::size_t done = 0; written && done < text.size();) {
    ssize_t n = ::write(in[1], text.data() + done, text.size() - done);
    written = n > 0;
    if (written) done += static_cast<std::size_t>(n);
  }
  ::close(in[1]);
  int status = 0;
  if (child <= 0 || ::waitpid(child, &status, 0) != child) return -1;
  double elapsed = ms_since(start);
  if (!written || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "bench_blacklist: ipset restore failed, status %d\n", status);
    return -1;
  }
  return elapsed;
}

// The runs at 100,000 ranges; false when a call fails.
bool at_hundred_thousand(Client& client, pid_t host) {
  long rss_before = bench::rss_kb(host);
  double add_ms = add_ranges(client, 0, kHundredK, 0);
  if (add_ms < 0) return false;
  long rss_after = bench::rss_kb(host);
  bench::report("blacklist_add_100k_batches_ms", add_ms, "ms");

  std::size_t entries = 0;
  std::size_t intermediates = 0;
  Clock::time_point start = Clock::now();
  if (client.call("query_ip_blacklist", nullptr, &entries, &intermediates) != kOk ||
      entries != kHundredK) {
    std::fprintf(stderr, "bench_blacklist: query gave %zu entries\n", entries);
    return false;
  }
  bench::report("blacklist_query_100k_ms", ms_since(start), "ms");
  bench::report("blacklist_query_100k_intermediate_replies", static_cast<double>(intermediates),
        "replies");
  start = Clock::now();
  if (client.call("clear_ip_blacklist", nullptr) != kOk) return false;
  bench::report("blacklist_clear_100k_ms", ms_since(start), "ms");
  if (client.call("clear_ip_persis_blacklist", nullptr) != kOk) return false;

  // The same ranges as temporary entries: the add without rewriting the rule file.
  double temp_ms = add_ranges(client, 0, kHundredK, kTempTimeout);
  if (temp_ms < 0 || client.call("clear_ip_blacklist", nullptr) != kOk) return false;
  bench::report("blacklist_add_100k_temp_batches_ms", temp_ms, "ms");

  double ipset_ms = ipset_restore(kHundredK);
  if (ipset_ms >= 0) {
    bench::report("ipset_restore_100k_ms", ipset_ms, "ms");
    bench::report("blacklist_add_100k_vs_ipset_restore", add_ms / ipset_ms, "x");
    bench::report("blacklist_add_100k_temp_vs_ipset_restore", temp_ms / ipset_ms, "x");
  }
  bench::report("agent_host_rss_before_kb", static_cast<double>(rss_before), "kB");
  bench::report("agent_host_rss_100k_kb", static_cast<double>(rss_after), "kB");
  bench::report("agent_host_rss_growth_100k_kb", static_cast<double>(rss_after - rss_before), "kB");

  // Present again for the single adds.
  if (add_ranges(client, 0, kHundredK, 0) < 0) return false;
  return single_adds(client, "blacklist_add_temp_at_100k", kMillion + 1000, 2000, kTempTimeout) &&
         single_adds(client, "blacklist_add_persis_at_100k", kMillion + 5000, 200, 0);
}

// Grows the list to 1,000,000 with temporary ranges and repeats the single adds.
bool at_one_million(Client& client, pid_t host) {
  double fill_ms = add_ranges(client, kHundredK, kMillion, kTempTimeout);
  if (fill_ms < 0) return false;
  bench::report("blacklist_add_900k_temp_batches_ms", fill_ms, "ms");
  bench::report("agent_host_rss_1m_kb", static_cast<double>(bench::rss_kb(host)), "kB");
  return single_adds(client, "blacklist_add_temp_at_1m", kMillion + 10000, 2000, kTempTimeout) &&
         single_adds(client, "blacklist_add_persis_at_1m", kMillion + 15000, 100, 0);
}

}  // namespace

int main() {
  std::string why;
  if (!test_support::CHostProcess::namespaces_available(why)) {
    std::fprintf(stderr, "bench_blacklist: skipped: %s\n", why.c_str());
    return 0;
  }
  test_support::TempDir dir;
  dir.make_dirs("install/sec_policy");
  test_support::CHostProcess host(dir.file("host.log"));
  host.use_private_namespaces(dir.file("install"));
  if (!host.start(std::string(AGENT_BIN_DIR) + "/agent_host", dir.file("install"), AGENT_LIB_DIR,
                  "ip_blacklist")) {
    std::fprintf(stderr, "bench_blacklist: %s\n%s", host.error().c_str(),
                 host.log_text().c_str());
    return 1;
  }
  rpc::CRpcService service;
  Client client(*service.factory());
  bool ok = client.connect(host.socket_path()) &&
            client.call("start_ip_filter", nullptr) == kOk &&
            client.call("start_ip_persis_blacklist", nullptr) == kOk &&
            at_hundred_thousand(client, host.pid()) && at_one_million(client, host.pid());
  if (!ok) std::fprintf(stderr, "bench_blacklist: a step failed; see %s\n", host.log_path().c_str());
  if (host.stop() != 0) {
    std::fprintf(stderr, "bench_blacklist: agent_host did not exit cleanly on SIGTERM\n");
    ok = false;
  }
  return ok ? 0 : 1;
}
