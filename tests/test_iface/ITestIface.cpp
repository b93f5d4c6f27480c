#include "tests/test_iface/ITestIface.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/test_iface/CIfaceRealize_ITestIface.h"

namespace rpc {

namespace {
const char kReleasedMarker[] = "tmp/test_iface.released";
}

ec::EC ITestIface::init(void*) { return kTestOk; }

void ITestIface::release() {
  int fd = ::open(kReleasedMarker, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
}

ec::EC ITestIface::echo_u32(ICommand*, const unsigned int& in, unsigned int& out) {
  ++calls_;
  out = in;
  return kTestOk;
}

ec::EC ITestIface::add_u64(ICommand*, const unsigned long long& a, const unsigned long long& b,
                           unsigned long long& sum) {
  ++calls_;
  sum = a + b;
  return kTestOk;
}

ec::EC ITestIface::echo_text(ICommand*, const std::string& in, std::string& out) {
  ++calls_;
  out = in;
  return kTestOk;
}

ec::EC ITestIface::echo_flag(ICommand*, const bool& in, bool& out) {
  ++calls_;
  out = in;
  return kTestOk;
}

ec::EC ITestIface::echo_record(ICommand*, const TestRecord& in, TestRecord& out) {
  ++calls_;
  out.id = in.id;
  out.name = new std::string(in.name != nullptr ? *in.name : std::string());
  out.size = in.size;
  return kTestOk;
}

ec::EC ITestIface::describe(ICommand*, const unsigned int& number, const std::string& text,
                            const bool& flag, std::string& out) {
  ++calls_;
  out = std::to_string(number) + "|" + text + "|" + (flag ? "true" : "false");
  return kTestOk;
}

ec::EC ITestIface::join_records(ICommand*, const std::vector<TestRecord>& records,
                                std::string& out) {
  ++calls_;
  out.clear();
  for (const TestRecord& r : records) {
    out += std::to_string(r.id) + ":" + (r.name ? *r.name : std::string("(null)")) + ":" +
           std::to_string(r.size) + ";";
  }
  return kTestOk;
}

ec::EC ITestIface::stream_records(ICommand* command, const unsigned int& count,
                                  const unsigned int& every, std::vector<TestRecord>& out) {
  ++calls_;
  for (unsigned int i = 0; i < count; ++i) {
    out.push_back(TestRecord{i, new std::string("record-" + std::to_string(i)), 1000ull * i});
    if (every > 0 && out.size() == every) {
      ec::EC sent = realize->ret_stream_records(command, kTestOk, out);
      if (ec::failed(sent)) return sent;
    }
  }
  return kTestOk;
}

ec::EC ITestIface::fail_with(ICommand*, const unsigned int& code, unsigned int& out) {
  ++calls_;
  out = 7;
  return code;
}

ec::EC ITestIface::fail_records(ICommand*, const unsigned int& code,
                                std::vector<TestRecord>& out) {
  ++calls_;
  for (unsigned int i = 0; i < 3; ++i) out.push_back(TestRecord{i, new std::string("lost"), i});
  return code;
}

ec::EC ITestIface::sleep_ms(ICommand*, const unsigned int& ms) {
  ++calls_;
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return kTestOk;
}

ec::EC ITestIface::big_reply(ICommand*, const unsigned int& size, std::string& out) {
  ++calls_;
  out.assign(size, 'x');
  return kTestOk;
}

ec::EC ITestIface::calls(ICommand*, unsigned int& count) {
  count = calls_.load();
  return kTestOk;
}

}  // namespace rpc
