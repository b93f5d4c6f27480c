// A small interface that only tests load: it exercises every type that
// travels over RPC, intermediate replies, failures, slow calls and big
// replies, so the realization, the host and the console can be tested end
// to end before a real plug-in exists.
#ifndef TESTS_TEST_IFACE_ITESTIFACE_H_
#define TESTS_TEST_IFACE_ITESTIFACE_H_

#include <atomic>
#include <string>
#include <vector>

#include "frame/marshal.h"
#include "frame/rpc.h"

namespace rpc {

struct TestRecord {
  unsigned int id;
  std::string* name;  // heap string, handed over when packed
  unsigned long long size;
};
RPC_RECORD(TestRecord, id, name, size)

class CIfaceRealize_ITestIface;

// The interface's success code.
const ec::EC kTestOk = 0x98FF0000;

// Thread-safe: it keeps no state but counters.
class ITestIface {
 public:
  CIfaceRealize_ITestIface* realize = nullptr;

  ec::EC init(void* argument);
  // Leaves "tmp/test_iface.released" in the working directory, so tests can
  // see that the host released the plug-in.
  void release();

  ec::EC echo_u32(ICommand* command, const unsigned int& in, unsigned int& out);
  ec::EC add_u64(ICommand* command, const unsigned long long& a, const unsigned long long& b,
                 unsigned long long& sum);
  ec::EC echo_text(ICommand* command, const std::string& in, std::string& out);
  ec::EC echo_flag(ICommand* command, const bool& in, bool& out);
  ec::EC echo_record(ICommand* command, const TestRecord& in, TestRecord& out);
  // "<number>|<text>|<flag>": shows which argument landed where.
  ec::EC describe(ICommand* command, const unsigned int& number, const std::string& text,
                  const bool& flag, std::string& out);
  // "<id>:<name>:<size>;" per record, in the order received.
  ec::EC join_records(ICommand* command, const std::vector<TestRecord>& records,
                      std::string& out);
  // `count` records; every `every` records go out as an intermediate reply.
  ec::EC stream_records(ICommand* command, const unsigned int& count, const unsigned int& every,
                        std::vector<TestRecord>& out);
  // Returns `code`; `out` is set to 7 but travels only when `code` is a success.
  ec::EC fail_with(ICommand* command, const unsigned int& code, unsigned int& out);
  // Fills records with heap strings, then fails with `code`.
  ec::EC fail_records(ICommand* command, const unsigned int& code,
                      std::vector<TestRecord>& out);
  ec::EC sleep_ms(ICommand* command, const unsigned int& ms);
  // A text of `size` bytes 'x'.
  ec::EC big_reply(ICommand* command, const unsigned int& size, std::string& out);
  // How many methods ran so far (this one not counted).
  ec::EC calls(ICommand* command, unsigned int& count);

  unsigned int call_count() const { return calls_.load(); }

 private:
  std::atomic<unsigned int> calls_{0};
};

}  // namespace rpc

#endif  // TESTS_TEST_IFACE_ITESTIFACE_H_
