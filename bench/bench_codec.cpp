// The reply codec on a large reply: 2,000 records of three u32 fields, as a
// blacklist query sends them. Prints BENCH lines: the reply's size, the time
// to build it the way a stub packs it, and the time to serialize it and
// parse it back. Times are the thread's CPU time, which stays meaningful on
// a machine shared with other work.
#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/base/CRpcService.h"

namespace {

const unsigned kRecords = 2000;
const double kSecondsPerMeasure = 1.0;

// One array of kRecords element lists (u32, u32, u32) in a success reply.
rpc::IReply* build_reply(rpc::IRpcFactory& factory) {
  rpc::IReply* reply = factory.create_reply(nullptr, ec::kRpcOk);
  std::vector<rpc::IParams*> elements;
  elements.reserve(kRecords);
  for (unsigned i = 0; i < kRecords; ++i) {
    rpc::IParams* element = factory.create_list();
    unsigned fields[3] = {0x0A000000u + i, 0x0A000000u + i + 255, 3600};
    for (unsigned& field : fields) {
      element->append(factory.create_value(rpc::kTypeUInt32, &field, rpc::kCopy));
    }
    elements.push_back(element);
  }
  reply->results()->append(factory.create_value(rpc::kTypeArray, &elements, rpc::kCopy));
  return reply;
}

double cpu_seconds() {
  struct timespec now;
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Runs `step` for about kSecondsPerMeasure of CPU time; the mean time per
// run in microseconds.
template <class Step>
double mean_us(Step step) {
  unsigned runs = 0;
  double start = cpu_seconds();
  double elapsed = 0;
  do {
    step();
    ++runs;
    elapsed = cpu_seconds() - start;
  } while (elapsed < kSecondsPerMeasure);
  return elapsed * 1e6 / runs;
}

}  // namespace

int main() {
  rpc::CRpcService service;
  rpc::IRpcFactory& factory = *service.factory();

  rpc::IReply* reply = build_reply(factory);
  const std::size_t size = reply->size();
  std::string bytes(size, '\0');
  if (size == 0 || reply->serialize(&bytes[0], size) != size) {
    std::fprintf(stderr, "bench_codec: cannot serialize the reply\n");
    return 1;
  }
  bool ok = true;
  double build_us = mean_us([&] { build_reply(factory)->release(); });
  double codec_us = mean_us([&] {
    std::string out(reply->size(), '\0');
    reply->serialize(&out[0], out.size());
    rpc::IReply* parsed = factory.create_reply(nullptr, 0);
    ok = ok && parsed->parse(out.data(), out.size()) && parsed->code() == ec::kRpcOk;
    parsed->release();
  });
  reply->release();
  if (!ok) {
    std::fprintf(stderr, "bench_codec: the reply did not parse back\n");
    return 1;
  }
  std::printf("BENCH codec_reply_2000x3_size %zu bytes\n", size);
  std::printf("BENCH codec_reply_2000x3_build %.1f us\n", build_us);
  std::printf("BENCH codec_reply_2000x3_parse_serialize %.1f us\n", codec_us);
  return 0;
}
