// The intake queue and thread, in the test binary's own IPC namespace.
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/msg.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "ip_blacklist/CIpcMsgQueue.h"
#include "ip_blacklist/CUnixAddIp.h"
#include "ip_blacklist/IIpBlackListManager.h"
#include "ip_blacklist/tests/BlacklistTest.h"
#include "ip_blacklist/tests/FakeIpFilter.h"

namespace {

using blacklist_test::fake_filter;
using blacklist_test::ip;
using blacklist_test::wait_until;
using rpc::IpScope;

const key_t kKey = rpc::CUnixAddIp::kQueueKey;

// A message as the other agent processes lay it out.
struct RawMessage {
  long type;
  char text[1032];
};

int queue_id() { return ::msgget(kKey, 0); }

// Posts a message the way an outside sender does; `length` text bytes.
bool post(long type, const IpScope& scope, std::size_t length = sizeof(RawMessage::text)) {
  int id = ::msgget(kKey, IPC_CREAT | 0666);
  RawMessage message;
  std::memset(&message, 0, sizeof message);
  message.type = type;
  std::memcpy(message.text, &scope, sizeof scope);
  return id >= 0 && ::msgsnd(id, &message, length, IPC_NOWAIT) == 0;
}

unsigned long waiting_messages() {
  struct msqid_ds info;
  int id = queue_id();
  if (id < 0 || ::msgctl(id, IPC_STAT, &info) != 0) return 0;
  return info.msg_qnum;
}

class QueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!blacklist_test::g_private_ipc)
      GTEST_SKIP() << "no IPC namespace of our own: the machine's queues stay untouched";
    int stale = queue_id();
    if (stale >= 0) ::msgctl(stale, IPC_RMID, nullptr);
    fake_filter().reset();
    dir_.make_dirs("runlog");
    manager_.set_install_dir(dir_.path());
  }
  void TearDown() override {
    manager_.add_ip.shutdown();
    manager_.release();
  }

  void start() { ASSERT_EQ(ec::kBlOk, manager_.init(nullptr)); }
  std::size_t added() { return fake_filter().added().size(); }

  test_support::TempDir dir_{true};
  rpc::IIpBlackListManager manager_;
};

TEST_F(QueueTest, PostedRangeIsAddedLikeAnRpcAdd) {
  start();
  const IpScope scope{ip(10, 1, 1, 1), ip(10, 1, 1, 9), 0};
  ASSERT_TRUE(post(2, scope));
  ASSERT_TRUE(wait_until([this] { return added() == 1; }));
  EXPECT_TRUE(blacklist_test::same(scope, fake_filter().added()[0]));
  EXPECT_EQ(std::vector<std::string>{dir_.path() + "/sec_policy/ip_blacklist.pol"},
            fake_filter().saves());
  EXPECT_EQ("[add blacklist] start_ip:10.1.1.1, end_ip:10.1.1.9, time_out:0",
            blacklist_test::log_messages(dir_).back());
}

TEST_F(QueueTest, WaitingMessagesAreReadInOrderAndOtherTypesStay) {
  // The queue exists before the plug-in starts, with messages waiting.
  const IpScope first{ip(10, 2, 0, 1), ip(10, 2, 0, 1), 60};
  const IpScope second{ip(10, 2, 0, 2), ip(10, 2, 0, 2), 0};
  const IpScope other{ip(10, 9, 9, 9), ip(10, 9, 9, 9), 0};
  ASSERT_TRUE(post(3, other));
  ASSERT_TRUE(post(2, first));
  ASSERT_TRUE(post(1, other));
  ASSERT_TRUE(post(2, second));
  start();
  ASSERT_TRUE(wait_until([this] { return added() == 2; }));
  EXPECT_TRUE(blacklist_test::same(fake_filter().added(), {first, second}));
  EXPECT_EQ(2u, waiting_messages()) << "types 1 and 3 stay in the queue";

  RawMessage left;
  ASSERT_EQ(static_cast<ssize_t>(sizeof left.text),
            ::msgrcv(queue_id(), &left, sizeof left.text, 3, IPC_NOWAIT));
  EXPECT_EQ(0, std::memcmp(left.text, &other, sizeof other)) << "untouched";
}

TEST_F(QueueTest, BadMessagesAreDroppedAndTheNextOnesStillServed) {
  start();
  const IpScope refused{ip(10, 3, 0, 9), ip(10, 3, 0, 1), 0};
  const IpScope good{ip(10, 3, 0, 1), ip(10, 3, 0, 9), 0};
  fake_filter().script_adds({22});
  ASSERT_TRUE(post(2, refused));
  ASSERT_TRUE(post(2, good, 4));  // too short to hold a range
  ASSERT_TRUE(post(2, good));
  ASSERT_TRUE(wait_until([this] { return added() == 1; }));
  EXPECT_TRUE(blacklist_test::same(good, fake_filter().added()[0]));
  EXPECT_EQ(0u, waiting_messages());
  std::vector<std::string> lines = blacklist_test::log_messages(dir_);
  EXPECT_EQ(1, std::count(lines.begin(), lines.end(), std::string("添加失败")));
}

// Sets how many queues this IPC namespace may hold (the namespace's own
// limit, not the machine's); false when it cannot be set.
bool set_queue_limit(const std::string& value) {
  FILE* file = std::fopen("/proc/sys/kernel/msgmni", "w");
  if (file == nullptr) return false;
  bool written = std::fputs(value.c_str(), file) >= 0;
  return std::fclose(file) == 0 && written;
}

std::string queue_limit() { return test_support::read_file("/proc/sys/kernel/msgmni"); }

TEST_F(QueueTest, RemovedQueueIsReopenedWithoutSpinning) {
  start();
  ASSERT_TRUE(wait_until([] { return queue_id() >= 0; }));
  const std::string limit = queue_limit();
  // While no queue can be created, the thread fails to reopen; it must try
  // about once a second, not in a tight loop.
  const bool blocked = !limit.empty() && set_queue_limit("0");
  ASSERT_EQ(0, ::msgctl(queue_id(), IPC_RMID, nullptr));
  if (blocked) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    unsigned int failures = manager_.add_ip.failed_receives();
    ASSERT_TRUE(set_queue_limit(limit));
    EXPECT_GE(failures, 1u);
    EXPECT_LE(failures, 4u) << "failed receives should be paced by the pause";
  } else {
    std::printf("msgmni cannot be set here: the blocked reopen is not exercised\n");
  }
  ASSERT_TRUE(wait_until([] { return queue_id() >= 0; })) << "the thread recreates the queue";

  const IpScope scope{ip(10, 4, 0, 1), ip(10, 4, 0, 2), 30};
  ASSERT_TRUE(post(2, scope));
  ASSERT_TRUE(wait_until([this] { return added() == 1; }));
  std::vector<std::string> lines = blacklist_test::log_messages(dir_);
  EXPECT_EQ(1, std::count_if(lines.begin(), lines.end(),
                             [](const std::string& line) { return line.find("[intake]") == 0; }))
      << "one line per outage";
}

TEST(IpcMsgQueueTest, SendAndReceiveKeepTheirLimits) {
  if (!blacklist_test::g_private_ipc) GTEST_SKIP() << "no IPC namespace of our own";
  CIpcMsgQueue queue;
  ASSERT_EQ(0, queue.init(0x7A6D0001));
  const char data[] = "abc";
  char big[CIpcMsgQueue::kTextSize + 1] = {0};
  EXPECT_FALSE(queue.send_msg(5, nullptr, 3));
  EXPECT_FALSE(queue.send_msg(5, big, sizeof big));
  EXPECT_FALSE(queue.recv_msg(5, nullptr, 3));

  // A full queue refuses at once instead of blocking the sender.
  struct msqid_ds info;
  ASSERT_EQ(0, ::msgctl(queue.id(), IPC_STAT, &info));
  info.msg_qbytes = CIpcMsgQueue::kTextSize;
  ASSERT_EQ(0, ::msgctl(queue.id(), IPC_SET, &info));
  EXPECT_TRUE(queue.send_msg(5, data, sizeof data));
  EXPECT_FALSE(queue.send_msg(5, data, sizeof data));
  EXPECT_EQ(EAGAIN, queue.last_error());

  char out[sizeof data] = {0};
  EXPECT_TRUE(queue.recv_msg(5, out, sizeof out));
  EXPECT_STREQ("abc", out);
  EXPECT_TRUE(queue.destory_mq());
  EXPECT_FALSE(queue.recv_msg(5, out, sizeof out)) << "a removed queue is a lasting failure";
}

}  // namespace
