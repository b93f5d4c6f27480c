// agent_host as a whole: the real binary on a temporary install directory,
// spoken to in raw frames.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "frame/wire.h"
#include "platform/base/CRpcService.h"
#include "test_support/CHostProcess.h"
#include "test_support/TempDir.h"
#include "test_support/test_paths.h"

namespace {

const ec::EC kTestOk = 0x98FF0000;  // success code of the test interface
const char kTestIface[] = "ITestIface";
const char kHostProgram[] = AGENT_BIN_DIR "/agent_host";

struct Frame {
  unsigned char type = 0;
  ec::EC code = 0;
  std::string body;  // serialized reply, may be empty
};

// One console connection speaking raw frames; reads give up after 30 s.
class Client {
 public:
  explicit Client(const std::string& socket_path) : fd_(wire::connect_unix(socket_path)) {
    timeval timeout = {30, 0};
    if (fd_ >= 0) ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  ~Client() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool connected() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  bool send_raw(const std::string& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }
  bool send_block(const std::string& block) {
    return wire::write_frame(fd_, block.data(), block.size());
  }
  bool read(Frame& frame) {
    std::string body;
    if (!wire::read_frame(fd_, body, wire::kMaxReplyBody) || body.size() < wire::kReplyHeader) {
      return false;
    }
    frame.type = static_cast<unsigned char>(body[0]);
    frame.code = wire::get_u32(reinterpret_cast<const unsigned char*>(body.data()) + 1);
    frame.body = body.substr(wire::kReplyHeader);
    return true;
  }
  // Sends `block` and reads frames up to and including the final one.
  std::vector<Frame> call(const std::string& block) {
    std::vector<Frame> frames;
    if (!send_block(block)) return frames;
    Frame frame;
    while (read(frame)) {
      frames.push_back(frame);
      if (frame.type != wire::kFrameIntermediate) break;
    }
    return frames;
  }
  // True when the host closed the connection (end of stream).
  bool closed_by_host() {
    char byte;
    return ::recv(fd_, &byte, 1, 0) == 0;
  }

 private:
  int fd_;
};

// Parsed reply of a frame; released on destruction.
class Reply {
 public:
  Reply(rpc::IRpcFactory& factory, const std::string& body)
      : reply_(factory.create_reply(nullptr, 0)) {
    parsed_ = reply_ != nullptr && reply_->parse(body.data(), body.size());
  }
  ~Reply() {
    if (reply_ != nullptr) reply_->release();
  }
  bool parsed() const { return parsed_; }
  ec::EC code() const { return reply_->code(); }
  rpc::IParams* result(std::size_t index) const {
    rpc::IParams* results = reply_->results();
    return results != nullptr && index < results->count() ? results->at(index) : nullptr;
  }

 private:
  rpc::IReply* reply_;
  bool parsed_;
};

class HostTest : public ::testing::Test {
 protected:
  HostTest() : host_(dir_.file("host.stderr")), factory_(*service_.factory()) {
    dir_.make_dirs("tmp");
    dir_.make_dirs("runlog");
  }

  std::vector<std::string> arguments(const std::vector<std::string>& extra) const {
    std::vector<std::string> all = {"--install-dir", dir_.path(), "--plugin-dir", AGENT_LIB_DIR};
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  }
  bool start(const std::vector<std::string>& extra = {"--plugins", "test_iface"}) {
    return host_.start(kHostProgram, arguments(extra));
  }
  std::string socket_path() const { return dir_.file("tmp/agent.sock"); }

  // A request block for `method` of `iface` with the given arguments (taken
  // over).
  std::string request(const std::string& iface, const std::string& method,
                      const std::vector<rpc::IParams*>& args = {}) {
    rpc::IRequest* made = factory_.create_request(method);
    for (rpc::IParams* arg : args) made->params()->append(arg);
    std::string payload(made->size(), '\0');
    made->serialize(&payload[0], payload.size());
    made->release();
    return wire::make_request_block(iface, payload);
  }
  rpc::IParams* u32(unsigned int value) {
    return factory_.create_value(rpc::kTypeUInt32, &value, rpc::kCopy);
  }
  // Calls echo_u32 on a fresh connection; true when 42 comes back.
  bool echo_works() {
    Client client(socket_path());
    std::vector<Frame> frames = client.call(request(kTestIface, "echo_u32", {u32(42)}));
    if (frames.size() != 1 || frames[0].code != ec::kRpcOk) return false;
    Reply reply(factory_, frames[0].body);
    rpc::IParams* value = reply.result(0);
    return reply.parsed() && reply.code() == kTestOk && value != nullptr &&
           value->type() == rpc::kTypeUInt32 && *static_cast<unsigned*>(value->value()) == 42;
  }

  test_support::TempDir dir_;
  test_support::CHostProcess host_;
  rpc::CRpcService service_;
  rpc::IRpcFactory& factory_;
};

TEST_F(HostTest, ServesACallAndStopsCleanlyOnSigterm) {
  ASSERT_TRUE(start()) << host_.log_text();
  EXPECT_NE(host_.serving_line().find("with 1 plug-in(s): test_iface"), std::string::npos)
      << host_.serving_line();
  struct stat info;
  ASSERT_EQ(::lstat(socket_path().c_str(), &info), 0);
  EXPECT_TRUE(S_ISSOCK(info.st_mode));
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  EXPECT_TRUE(echo_works());

  EXPECT_EQ(host_.stop(SIGTERM), 0) << host_.log_text();
  EXPECT_TRUE(dir_.exists("tmp/test_iface.released"));
  EXPECT_FALSE(dir_.exists("tmp/agent.sock"));
}

TEST_F(HostTest, DirectoryListsInterfacesByNameAndMethodsInTableOrder) {
  ASSERT_TRUE(start({"--plugins", "test_iface,empty_test"})) << host_.log_text();
  Client client(socket_path());
  std::vector<Frame> frames = client.call(request("", wire::kDirectoryMethod));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].type, wire::kFrameFinal);
  EXPECT_EQ(frames[0].code, ec::kRpcOk);
  Reply reply(factory_, frames[0].body);
  ASSERT_TRUE(reply.parsed());
  rpc::IParams* array = reply.result(0);
  ASSERT_TRUE(array != nullptr && array->type() == rpc::kTypeArray);

  std::vector<std::vector<std::string> > rows;
  for (rpc::IParams* record : *static_cast<std::vector<rpc::IParams*>*>(array->value())) {
    std::vector<std::string> row;
    for (std::size_t i = 0; i < record->count(); ++i) {
      ASSERT_EQ(record->at(i)->type(), rpc::kTypeString);
      row.push_back(*static_cast<std::string*>(record->at(i)->value()));
    }
    ASSERT_EQ(row.size(), 6u);
    rows.push_back(row);
  }
  // The fixture interface has no method: one row with the method fields empty.
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"IEmptyTest", "00000000-0000-4000-8000-000000000001",
                                               "fixture", "", "", ""}));
  std::vector<std::string> methods;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0], kTestIface);
    EXPECT_EQ(rows[i][1], "5b0e6f3c-2a41-4c8e-9d17-0c6a2f4e8b91");
    methods.push_back(rows[i][3]);
    if (rows[i][3] == "echo_u32") {
      EXPECT_EQ(rows[i][5], "(u32)->(u32)");
    }
  }
  std::vector<std::string> sorted = methods;  // the realization lists by name
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(methods, sorted);
  EXPECT_NE(std::find(methods.begin(), methods.end(), "echo_u32"), methods.end());
}

TEST_F(HostTest, IntermediateRepliesArriveBeforeTheFinalOne) {
  ASSERT_TRUE(start()) << host_.log_text();
  Client client(socket_path());
  std::vector<Frame> frames = client.call(request(kTestIface, "stream_records", {u32(5), u32(2)}));
  ASSERT_EQ(frames.size(), 3u);
  std::vector<unsigned> ids;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(frames[i].type, i + 1 < frames.size() ? wire::kFrameIntermediate : wire::kFrameFinal);
    Reply reply(factory_, frames[i].body);
    ASSERT_TRUE(reply.parsed());
    EXPECT_EQ(reply.code(), kTestOk);
    rpc::IParams* array = reply.result(0);
    ASSERT_TRUE(array != nullptr && array->type() == rpc::kTypeArray);
    for (rpc::IParams* record : *static_cast<std::vector<rpc::IParams*>*>(array->value())) {
      ids.push_back(*static_cast<unsigned*>(record->at(0)->value()));
    }
  }
  EXPECT_EQ(ids, (std::vector<unsigned>{0, 1, 2, 3, 4}));
}

// What a client sends, and what it gets back: a final frame with a code, or
// the connection closed.
struct BadInput {
  const char* name;
  std::string bytes;  // raw bytes on the socket, frame prefix included
  bool closes;
  ec::EC code;
};

std::string framed(const std::string& block) {
  unsigned char prefix[wire::kFrameLengthSize];
  wire::put_u32(prefix, static_cast<std::uint32_t>(block.size()));
  return std::string(reinterpret_cast<char*>(prefix), sizeof prefix) + block;
}

std::string raw_payload(const std::string& method, const std::string& list) {
  unsigned char length[4];
  wire::put_u32(length, static_cast<std::uint32_t>(method.size()));
  return std::string(reinterpret_cast<char*>(length), 4) + method + list;
}

TEST_F(HostTest, BadInputIsAnsweredOrClosedAndOthersAreStillServed) {
  ASSERT_TRUE(start()) << host_.log_text();
  const std::string header_only = wire::make_request_block(kTestIface, "");
  std::string lying_name = header_only;
  lying_name[2] = 40;  // announces a name longer than the block
  const std::string one_u32_list("\x01\x00\x00\x00\x07\x2A\x00\x00\x00", 9);
  const std::string bad_type_list("\x01\x00\x00\x00\x63\x2A\x00\x00\x00", 9);
  std::string too_long(wire::kFrameLengthSize, '\0');
  wire::put_u32(reinterpret_cast<unsigned char*>(&too_long[0]),
                static_cast<std::uint32_t>(wire::kMaxRequestBody + 1));
  const BadInput cases[] = {
      {"block shorter than its header", framed(std::string("\x5A\x01", 2)), false,
       ec::kHostBadBlock},
      {"block shorter than its name", framed(lying_name), false, ec::kHostBadBlock},
      {"payload lying about its length",
       framed(wire::make_request_block(kTestIface, std::string("\xFF\x00\x00\x00" "echo", 8))), false,
       ec::kRpcParse},
      {"unknown type code",
       framed(wire::make_request_block(kTestIface, raw_payload("echo_u32", bad_type_list))),
       false, ec::kRpcParse},
      {"unknown interface",
       framed(wire::make_request_block("INoSuch", raw_payload("echo_u32", one_u32_list))), false,
       ec::kHostNoInterface},
      {"unknown method",
       framed(wire::make_request_block(kTestIface, raw_payload("Echo_u32", one_u32_list))),
       false, ec::kRpcNoMethod},
      {"unknown directory method",
       framed(wire::make_request_block("", raw_payload("lists", std::string(4, '\0')))), false,
       ec::kRpcNoMethod},
      {"garbage directory payload", framed(wire::make_request_block("", "\x01")), false,
       ec::kRpcParse},
      {"frame of exactly the limit",
       framed(wire::make_request_block(
           "INoSuch", std::string(wire::kMaxRequestBody - wire::kBlockHeader - 7, 'x'))),
       false, ec::kHostNoInterface},
      {"frame above the limit", too_long + std::string(64, 'x'), true, 0},
  };
  for (const BadInput& row : cases) {
    SCOPED_TRACE(row.name);
    Client client(socket_path());
    ASSERT_TRUE(client.connected());
    ASSERT_TRUE(client.send_raw(row.bytes));
    if (row.closes) {
      EXPECT_TRUE(client.closed_by_host());
    } else {
      Frame frame;
      ASSERT_TRUE(client.read(frame));
      EXPECT_EQ(frame.type, wire::kFrameFinal);
      EXPECT_EQ(ec::to_text(frame.code), ec::to_text(row.code));
      EXPECT_TRUE(frame.body.empty());
      // The same connection goes on serving.
      std::vector<Frame> next = client.call(request(kTestIface, "echo_u32", {u32(1)}));
      ASSERT_EQ(next.size(), 1u);
      EXPECT_EQ(next[0].code, ec::kRpcOk);
    }
    EXPECT_TRUE(echo_works());
  }
  {
    SCOPED_TRACE("client gone in the middle of a frame");
    Client client(socket_path());
    ASSERT_TRUE(client.send_raw(framed(request(kTestIface, "echo_u32", {u32(1)})).substr(0, 9)));
  }
  EXPECT_TRUE(echo_works());
  EXPECT_EQ(host_.stop(SIGTERM), 0);
}

TEST_F(HostTest, SlowCallDoesNotHoldUpAnotherClient) {
  ASSERT_TRUE(start({"--plugins", "test_iface", "--threads", "2"})) << host_.log_text();
  Client slow(socket_path());
  ASSERT_TRUE(slow.send_block(request(kTestIface, "sleep_ms", {u32(3000)})));
  EXPECT_TRUE(echo_works());
  // The slow call is still running: its answer has not come yet.
  char byte;
  EXPECT_LT(::recv(slow.fd(), &byte, 1, MSG_DONTWAIT), 0);
  Frame frame;
  ASSERT_TRUE(slow.read(frame));
  EXPECT_EQ(frame.code, ec::kRpcOk);
}

TEST_F(HostTest, ConnectionsBeyondTheCapAreClosed) {
  ASSERT_TRUE(start()) << host_.log_text();
  std::vector<std::unique_ptr<Client> > clients;
  for (int i = 0; i < 256; ++i) {
    clients.emplace_back(new Client(socket_path()));
    ASSERT_TRUE(clients.back()->connected()) << i;
  }
  // Every one of them is served...
  std::vector<Frame> frames = clients.back()->call(request(kTestIface, "echo_u32", {u32(1)}));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].code, ec::kRpcOk);
  // ...and the next one is closed at once.
  Client extra(socket_path());
  ASSERT_TRUE(extra.connected());
  EXPECT_TRUE(extra.closed_by_host());
  // Room again once they are gone; the host notices their ends in its own time.
  clients.clear();
  bool served = false;
  for (int attempt = 0; attempt < 100 && !served; ++attempt) {
    served = echo_works();
    if (!served) ::usleep(50000);
  }
  EXPECT_TRUE(served);
}

// A plug-in directory holding links to some of the built libraries.
void link_plugins(const test_support::TempDir& dir, const std::vector<std::string>& files) {
  dir.make_dirs("plugins");
  for (const std::string& file : files) {
    std::string target = std::string(AGENT_LIB_DIR) + "/" + file;
    ASSERT_EQ(::symlink(target.c_str(), dir.file("plugins/" + file).c_str()), 0) << file;
  }
}

std::vector<std::string> lines_with(const std::string& text, const std::string& part) {
  std::vector<std::string> found;
  std::string::size_type start = 0;
  while (start < text.size()) {
    std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.find(part) != std::string::npos) found.push_back(line);
    start = end + 1;
  }
  return found;
}

TEST_F(HostTest, FailedPluginIsReportedOnceAndTheOthersServe) {
  link_plugins(dir_, {"libbase_linux.so", "libbroken_test_linux.so", "libempty_test_linux.so",
                      "libtest_iface_linux.so"});
  dir_.write("plugins/notes.txt", "not a plug-in");
  ASSERT_TRUE(host_.start(kHostProgram,
                          {"--install-dir", dir_.path(), "--plugin-dir", dir_.file("plugins")}))
      << host_.log_text();
  EXPECT_NE(host_.serving_line().find("with 2 plug-in(s): empty_test, test_iface"),
            std::string::npos)
      << host_.serving_line();
  std::vector<std::string> reports = lines_with(host_.log_text(), "not loaded");
  ASSERT_EQ(reports.size(), 1u) << host_.log_text();
  EXPECT_NE(reports[0].find("libbroken_test_linux.so"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("0x04FF0001"), std::string::npos) << reports[0];
  EXPECT_TRUE(echo_works());

  EXPECT_EQ(host_.stop(SIGINT), 0);
  EXPECT_TRUE(dir_.exists("tmp/test_iface.released"));
  std::string released = dir_.read("tmp/empty_test.released");
  EXPECT_NE(released.find("realization"), std::string::npos) << released;
  EXPECT_NE(released.find("registrar"), std::string::npos) << released;
  // A realization whose init failed is not released again.
  EXPECT_EQ(dir_.read("tmp/broken_test.released").find("realization"), std::string::npos);
  EXPECT_NE(dir_.read("runlog/agent_run.log").find("libbroken_test_linux.so"), std::string::npos);
}

TEST_F(HostTest, SecondPublisherOfAnInterfaceIsRefused) {
  ASSERT_TRUE(start({"--plugins", "test_iface,dup_test,no_such"})) << host_.log_text();
  EXPECT_NE(host_.serving_line().find("with 1 plug-in(s): test_iface"), std::string::npos);
  std::string errors = host_.log_text();
  std::vector<std::string> dup = lines_with(errors, "libdup_test_linux.so not loaded");
  ASSERT_EQ(dup.size(), 1u) << errors;
  EXPECT_NE(dup[0].find("ITestIface"), std::string::npos) << dup[0];
  EXPECT_EQ(lines_with(errors, "libno_such_linux.so not loaded").size(), 1u) << errors;
  // The refused plug-in was started, so it was released again at once.
  std::string released = dir_.read("tmp/dup_test.released");
  EXPECT_NE(released.find("realization"), std::string::npos);
  EXPECT_NE(released.find("registrar"), std::string::npos);
  EXPECT_TRUE(echo_works());
}

TEST_F(HostTest, SocketPathIsTakenOverOnlyFromAStaleSocket) {
  {
    SCOPED_TRACE("a regular file is left alone");
    dir_.write("tmp/agent.sock", "keep me");
    test_support::CHostProcess refused(dir_.file("refused.stderr"));
    EXPECT_FALSE(refused.start(kHostProgram, arguments({"--plugins", "test_iface"})));
    EXPECT_EQ(refused.wait_exit(), 1);
    EXPECT_NE(refused.log_text().find("not a socket"), std::string::npos);
    EXPECT_EQ(dir_.read("tmp/agent.sock"), "keep me");
    ::unlink(socket_path().c_str());
  }
  {
    SCOPED_TRACE("a socket nobody answers on is replaced");
    int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socket_path().c_str());
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    ASSERT_TRUE(start()) << host_.log_text();
    EXPECT_TRUE(echo_works());
  }
  {
    SCOPED_TRACE("a second host on a live socket");
    test_support::CHostProcess second(dir_.file("second.stderr"));
    EXPECT_FALSE(second.start(kHostProgram, arguments({"--plugins", "test_iface"})));
    EXPECT_EQ(second.wait_exit(), 1);
    EXPECT_NE(second.log_text().find("another agent_host is serving"), std::string::npos)
        << second.log_text();
    EXPECT_FALSE(dir_.exists("tmp/test_iface.released"));  // it started no plug-in
    EXPECT_TRUE(echo_works());
  }
}

TEST_F(HostTest, SocketDirectoryIsCreatedPrivate) {
  std::string socket = dir_.file("run/agent/host.sock");
  ASSERT_TRUE(start({"--plugins", "test_iface", "--socket", socket})) << host_.log_text();
  struct stat info;
  ASSERT_EQ(::stat(dir_.file("run/agent").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);
  EXPECT_EQ(host_.stop(SIGTERM), 0);
  EXPECT_FALSE(dir_.exists("run/agent/host.sock"));
}

TEST_F(HostTest, BadStartIsOneLineAndStatusTwo) {
  struct Case {
    std::vector<std::string> arguments;
    const char* says;
  };
  const Case cases[] = {
      {{"--install-dir", dir_.path(), "--threads", "0"}, "--threads"},
      {{"--install-dir", dir_.path(), "--bogus"}, "unknown option --bogus"},
      {{"--install-dir", dir_.path(), "--plugins"}, "needs a value"},
      {{"--install-dir", dir_.file("missing")}, "cannot enter the install directory"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.says);
    test_support::TempDir out;
    test_support::CHostProcess bad(out.file("stderr"));
    EXPECT_FALSE(bad.start(kHostProgram, row.arguments));
    EXPECT_EQ(bad.wait_exit(), 2);
    std::string errors = bad.log_text();
    EXPECT_EQ(lines_with(errors, "agent_host: ").size(), 1u) << errors;
    EXPECT_NE(errors.find(row.says), std::string::npos) << errors;
  }
}

}  // namespace
