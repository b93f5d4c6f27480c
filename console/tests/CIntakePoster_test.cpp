// Runs in an IPC namespace of its own, so the machine's queues stay untouched.
#include "console/CIntakePoster.h"

#include <errno.h>
#include <sched.h>
#include <sys/ipc.h>
#include <sys/msg.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace console {
namespace {

struct Message {
  long type;
  char text[CIntakePoster::kTextSize];
};

class CIntakePosterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Namespaces belong to the calling thread; gtest runs every test on it.
    private_ipc_ = ::unshare(CLONE_NEWIPC) == 0;
    if (!private_ipc_) why_ = std::string("unshare(CLONE_NEWIPC) refused: ") + std::strerror(errno);
  }

  void SetUp() override {
    if (!private_ipc_) GTEST_SKIP() << why_ << "; cannot test without a private IPC namespace";
  }

  void TearDown() override {
    int queue = ::msgget(CIntakePoster::kIntakeKey, 0);
    if (queue >= 0) ::msgctl(queue, IPC_RMID, nullptr);
  }

  static bool private_ipc_;
  static std::string why_;
};

bool CIntakePosterTest::private_ipc_ = false;
std::string CIntakePosterTest::why_;

TEST_F(CIntakePosterTest, WithoutAQueueNothingIsPostedNorCreated) {
  std::string error;
  EXPECT_FALSE(CIntakePoster().post({1, 2, 0}, error));
  EXPECT_NE(std::string::npos, error.find("no agent is reading it")) << error;
  EXPECT_NE(std::string::npos, error.find("0x7A6D6C72")) << error;
  EXPECT_EQ(-1, ::msgget(CIntakePoster::kIntakeKey, 0));
  EXPECT_EQ(ENOENT, errno);
}

TEST_F(CIntakePosterTest, PostsTypeTwoMessagesInOrderWithTheRangeFirst) {
  int queue = ::msgget(CIntakePoster::kIntakeKey, IPC_CREAT | 0600);
  ASSERT_GE(queue, 0) << std::strerror(errno);
  const rpc::IpScope posted[] = {{0x0A010101, 0x0A010109, 0}, {0x0A000001, 0x0A000001, 300}};
  std::string error;
  for (const rpc::IpScope& scope : posted) ASSERT_TRUE(CIntakePoster().post(scope, error)) << error;

  for (const rpc::IpScope& scope : posted) {
    Message message;
    std::memset(&message, 0x5A, sizeof message);
    ssize_t size = ::msgrcv(queue, &message, sizeof message.text, 0, IPC_NOWAIT);
    ASSERT_EQ(static_cast<ssize_t>(CIntakePoster::kTextSize), size) << std::strerror(errno);
    EXPECT_EQ(2, message.type);
    rpc::IpScope got;
    std::memcpy(&got, message.text, sizeof got);
    EXPECT_EQ(scope.start_ip, got.start_ip);
    EXPECT_EQ(scope.end_ip, got.end_ip);
    EXPECT_EQ(scope.time_out, got.time_out);
    EXPECT_EQ(std::string(sizeof message.text - sizeof got, '\0'),
              std::string(message.text + sizeof got, sizeof message.text - sizeof got));
  }
}

TEST_F(CIntakePosterTest, AFullQueueIsReportedWithoutBlocking) {
  int queue = ::msgget(CIntakePoster::kIntakeKey, IPC_CREAT | 0600);
  ASSERT_GE(queue, 0) << std::strerror(errno);
  msqid_ds info;
  ASSERT_EQ(0, ::msgctl(queue, IPC_STAT, &info));
  info.msg_qbytes = CIntakePoster::kTextSize;  // room for exactly one message
  ASSERT_EQ(0, ::msgctl(queue, IPC_SET, &info)) << std::strerror(errno);
  std::string error;
  EXPECT_TRUE(CIntakePoster().post({1, 1, 0}, error)) << error;
  EXPECT_FALSE(CIntakePoster().post({2, 2, 0}, error));
  EXPECT_NE(std::string::npos, error.find("is full")) << error;
}

}  // namespace
}  // namespace console
