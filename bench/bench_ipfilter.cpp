// Packet-filter library: the rule set in memory and mirrored into ipset sets.
//   ipfilter_memory_100k         RSS growth of a rule set of 100,000 ranges
//   ipfilter_add_100k            100,000 distinct adds, enforcement on
//   ipfilter_add_p50/p99_at_100k single temporary add with 100,000 present
//   ipfilter_query_100k          query_all of 100,000 records
//   ipfilter_save_persis_100k    rule file of 100,000 persistent ranges
//   ipfilter_open_rebuild_1m     open() with 1,000,000 persistent ranges
//   ipfilter_add_p50/p99_at_1m   single temporary add with 1,000,000 present
//   ipset_restore_100k           `ipset restore` of the same 100,000 ranges
// Everything that touches the kernel runs in a forked child that first moves
// to a network namespace of its own, so the machine's firewall is untouched.
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "platform/base/CRunLog.h"
#include "platform/ipfilter/CIpRange.h"
#include "platform/ipfilter/CIpRuleSet.h"
#include "platform/ipfilter/CIpsetKernelFilter.h"
#include "utility/CIpText.h"

namespace {

using ipfilter::CIpRange;
using ipfilter::CIpRuleSet;
typedef std::chrono::steady_clock Clock;

const unsigned kHundredK = 100000;
const unsigned kMillion = 1000000;
const unsigned kSamples = 2000;

// Range i: four addresses that split into four CIDR blocks (.1 .2/31 .4/31 .6).
rpc::IpScope range(unsigned i, unsigned time_out) {
  const uint32_t base = 0x0B000000u + i * 8;
  return rpc::IpScope{base + 1, base + 6, time_out};
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void add_all(CIpRuleSet& rules, unsigned from, unsigned to, unsigned time_out) {
  for (unsigned i = from; i < to; ++i) {
    const rpc::IpScope scope = range(i, time_out);
    if (rules.add_scope(&scope) != 0) std::fprintf(stderr, "add %u failed\n", i);
  }
}

// Single temporary adds of new ranges after `present`; p50 and p99 in us.
void single_adds(CIpRuleSet& rules, unsigned present, const char* p50, const char* p99) {
  std::vector<double> us;
  for (unsigned i = 0; i < kSamples; ++i) {
    const rpc::IpScope scope = range(present + i, 300);
    const Clock::time_point start = Clock::now();
    rules.add_scope(&scope);
    us.push_back(seconds_since(start) * 1e6);
  }
  bench::report(p50, bench::percentile(us, 0.5), "us", 3);
  bench::report(p99, bench::percentile(us, 0.99), "us", 3);
}

void memory_in_process() {
  ipfilter::CNullKernelFilter none;
  CIpRuleSet rules(none, "", CIpRuleSet::steady_clock());
  rules.open({}, ipfilter::Switches());
  const long before = bench::rss_kb();
  add_all(rules, 0, kHundredK / 2, 300);  // half temporary, half persistent
  add_all(rules, kHundredK / 2, kHundredK, 0);
  bench::report("ipfilter_memory_100k", (bench::rss_kb() - before) / 1024.0, "MB", 3);
}

// `ipset restore` of the 100,000 ranges into a fresh hash:net set.
double ipset_restore() {
  std::string text = "create bench_ref hash:net maxelem 16777216\n";
  for (unsigned i = 0; i < kHundredK; ++i) {
    const rpc::IpScope r = range(i, 0);
    text += "add bench_ref " + utility::CIpText::format_range(r.start_ip, r.end_ip) + "\n";
  }
  const int fd = memfd_create("restore", MFD_CLOEXEC);
  if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return -1;
  lseek(fd, 0, SEEK_SET);
  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    dup2(fd, 0);
    char program[] = "/usr/sbin/ipset", command[] = "restore";
    char* argv[] = {program, command, nullptr};
    execv(program, argv);
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(fd);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds_since(start) : -1;
}

int kernel_part() {
  if (unshare(CLONE_NEWNET) != 0) {
    std::fprintf(stderr, "bench_ipfilter: no network namespace; kernel part skipped\n");
    return 0;
  }
  ipfilter::CIpsetKernelFilter kernel;
  CIpRuleSet rules(kernel, "", CIpRuleSet::steady_clock());
  rules.open({}, ipfilter::Switches());
  if (!rules.enforcing()) {
    std::fprintf(stderr, "bench_ipfilter: ipset/iptables unusable; kernel part skipped\n");
    return 0;
  }
  Clock::time_point start = Clock::now();
  add_all(rules, 0, kHundredK, 300);
  bench::report("ipfilter_add_100k", seconds_since(start), "s", 3);
  single_adds(rules, kHundredK, "ipfilter_add_p50_at_100k", "ipfilter_add_p99_at_100k");

  std::vector<rpc::IpScope> buffer(kHundredK + kSamples);
  unsigned int size = 0;
  start = Clock::now();
  rules.query_all(buffer.data(), static_cast<unsigned>(buffer.size() * sizeof buffer[0]), size);
  bench::report("ipfilter_query_100k", seconds_since(start) * 1000, "ms", 3);

  rules.clear_all();
  add_all(rules, 0, kHundredK, 0);
  start = Clock::now();
  rules.save_persis("/tmp/bench_ipfilter_rules.pol");
  bench::report("ipfilter_save_persis_100k", seconds_since(start) * 1000, "ms", 3);
  unlink("/tmp/bench_ipfilter_rules.pol");

  std::vector<rpc::IpScope> million;
  for (unsigned i = 0; i < kMillion; ++i) million.push_back(range(i, 0));
  start = Clock::now();
  rules.open(million, ipfilter::Switches());
  bench::report("ipfilter_open_rebuild_1m", seconds_since(start), "s", 3);
  single_adds(rules, kMillion, "ipfilter_add_p50_at_1m", "ipfilter_add_p99_at_1m");
  rules.close();
  kernel.remove_kernel_state();

  bench::report("ipset_restore_100k", ipset_restore(), "s", 3);
  return 0;
}

}  // namespace

int main() {
  fwbase::CRunLog::set_stderr(false);
  memory_in_process();
  const pid_t child = fork();
  if (child == 0) _exit(kernel_part());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
