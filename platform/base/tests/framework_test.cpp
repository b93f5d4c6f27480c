// The framework singleton, block allocator, run log, call context and the
// RPC service object.
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/base.h"
#include "test_support/TempDir.h"

namespace {

TEST(FrameworkTest, InstanceIsOneObjectWithAllParts) {
  fwbase::IFWBase* framework = fwbase::IFWBase::instance();
  ASSERT_NE(framework, nullptr);
  EXPECT_EQ(framework, fwbase::IFWBase::instance());
  EXPECT_NE(framework->run_log(), nullptr);
  EXPECT_NE(framework->global_env(), nullptr);
  EXPECT_NE(framework->block_allocator(), nullptr);
  EXPECT_EQ(fwbase::IRunLog::ms_type_sign, 8u);  // failures on, traces off
}

TEST(BlockAllocatorTest, SizesUpToTheLimit) {
  const std::size_t kMax = fwbase::CBlockAllocator::kMaxBlockSize;
  const struct {
    std::size_t size;
    ec::EC code;
  } cases[] = {{0, ec::kFwOk}, {1, ec::kFwOk}, {kMax, ec::kFwOk}, {kMax + 1, ec::kFwTooLarge}};
  fwbase::CBlockAllocator allocator;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    fwbase::IDataBlock* block = reinterpret_cast<fwbase::IDataBlock*>(1);
    ASSERT_EQ(allocator.alloc(block, c.size), c.code);
    if (c.code != ec::kFwOk) {
      EXPECT_EQ(block, nullptr);
      continue;
    }
    ASSERT_NE(block, nullptr);
    EXPECT_NE(block->data(), nullptr);
    EXPECT_EQ(block->capacity(), c.size);
    EXPECT_EQ(block->length(), 0u);
    if (c.size > 0) {
      EXPECT_EQ(block->data()[c.size - 1], 0);
    }
    EXPECT_TRUE(block->set_length(c.size));
    EXPECT_FALSE(block->set_length(c.size + 1));
    EXPECT_EQ(block->length(), c.size);
    block->release();
  }
}

// The line without its "YYYY/MM/DD HH:MM:SS " head; "?" when the head is
// malformed.
std::string untimed(const std::string& line) {
  const std::string shape = "dddd/dd/dd dd:dd:dd ";
  if (line.size() < shape.size()) return "?";
  for (std::size_t i = 0; i < shape.size(); ++i) {
    bool digit = line[i] >= '0' && line[i] <= '9';
    if (shape[i] == 'd' ? !digit : line[i] != shape[i]) return "?";
  }
  return line.substr(shape.size());
}

// Captures the run log's lines in a temporary install directory.
class RunLogTest : public ::testing::Test {
 protected:
  typedef std::tuple<unsigned, std::string, std::string> Line;

  void SetUp() override {
    fwbase::CRunLog::set_stderr(false);
    fwbase::CRunLog::set_observer([this](unsigned level, const std::string& text,
                                         const std::string& location) {
      lines.emplace_back(level, text, location);
    });
  }
  void TearDown() override {
    fwbase::CRunLog::set_observer(fwbase::CRunLog::Observer());
    fwbase::CRunLog::set_stderr(true);
    fwbase::IRunLog::ms_type_sign = fwbase::IRunLog::kFailure;
  }

  test_support::TempDir dir{true};
  std::vector<Line> lines;
  fwbase::IRunLog* log = fwbase::IFWBase::instance()->run_log();
};

TEST_F(RunLogTest, WritesTimedLinesToFileAndObserver) {
  dir.make_dirs("runlog");
  log->write(8, "\xc7\xeb\xc7\xf3 failed", "here");
  log->write(1, nullptr, nullptr);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], Line(8, "\xc7\xeb\xc7\xf3 failed", "here"));
  EXPECT_EQ(lines[1], Line(1, "", ""));
  std::string content = dir.read("runlog/agent_run.log");
  std::size_t split = content.find('\n') + 1;
  ASSERT_EQ(content.size(), content.find('\n', split) + 1) << content;
  EXPECT_EQ(untimed(content.substr(0, split)), "L8 \xc7\xeb\xc7\xf3 failed | here\n");
  EXPECT_EQ(untimed(content.substr(split)), "L1  | \n");
}

TEST_F(RunLogTest, MissingDirectoryLosesOnlyTheFileLine) {
  log->write(8, "early", "x");
  EXPECT_FALSE(dir.exists("runlog/agent_run.log"));
  dir.make_dirs("runlog");
  log->write(8, "later", "x");
  EXPECT_EQ(lines.size(), 2u);
  EXPECT_NE(dir.read("runlog/agent_run.log").find("later"), std::string::npos);
}

TEST_F(RunLogTest, FileStartsAnewPastTheLimit) {
  dir.make_dirs("runlog");
  {
    std::ofstream big(dir.file("runlog/agent_run.log"), std::ios::binary);
    big << std::string(fwbase::CRunLog::kMaxFileSize + 1, 'x');
  }
  log->write(8, "fresh", "x");
  std::string content = dir.read("runlog/agent_run.log");
  EXPECT_LT(content.size(), 200u);
  EXPECT_NE(content.find("fresh"), std::string::npos);
}

TEST_F(RunLogTest, FailureMacroFollowsTheLevelBits) {
  fwbase::IRunLog::ms_type_sign = 0;
  FW_LOG_FAILURE(this, "hidden");
  EXPECT_TRUE(lines.empty());
  fwbase::IRunLog::ms_type_sign = fwbase::IRunLog::kFailure;
  FW_LOG_FAILURE(this, "shown");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(std::get<1>(lines[0]), "shown");
  EXPECT_EQ(std::get<2>(lines[0]).rfind("this(0x", 0), 0u) << std::get<2>(lines[0]);
}

// A block that records its release.
class FakeBlock : public fwbase::IDataBlock {
 public:
  explicit FakeBlock(bool* released) : released_(released) {}
  void release() override { *released_ = true; }
  const unsigned char* data() const override { return nullptr; }
  unsigned char* buffer() override { return nullptr; }
  bool set_length(std::size_t) override { return false; }
  std::size_t length() const override { return 0; }
  std::size_t capacity() const override { return 0; }

 private:
  bool* released_;
};

TEST(CommandTest, ForwardsToTheSinkOrReleasesTheBlock) {
  bool released = false;
  FakeBlock block(&released);
  ec::EC seen_code = 0;
  fwbase::IDataBlock* seen_block = nullptr;
  rpc::CCommand command([&](ec::EC code, fwbase::IDataBlock* b) {
    seen_code = code;
    seen_block = b;
    return ec::kFwIo;
  });
  EXPECT_EQ(command.send(ec::kFwOk, &block), ec::kFwIo);
  EXPECT_EQ(seen_code, ec::kFwOk);
  EXPECT_EQ(seen_block, &block);
  EXPECT_FALSE(released);  // the sink owns it now

  rpc::CCommand no_sink;
  EXPECT_EQ(no_sink.send(ec::kFwOk, &block), ec::kFwIo);
  EXPECT_TRUE(released);
  EXPECT_EQ(no_sink.send(ec::kFwOk, nullptr), ec::kFwIo);
}

TEST(RpcServiceTest, ClonesShareTheFactoryThroughTheRegistry) {
  fwbase::CGlobalEnv env;
  rpc::CRpcService service;
  ASSERT_EQ(env.register_object("obj.fws.rpc", &service), ec::kFwOk);
  rpc::IRpcService* queried = nullptr;
  ASSERT_EQ(env.query("obj.fws.rpc", queried), ec::kFwOk);
  EXPECT_NE(queried, &service);
  EXPECT_EQ(queried->version(), 0);
  EXPECT_EQ(queried->factory(), service.factory());
  rpc::IRequest* request = queried->factory()->create_request("list");
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->method(), "list");
  request->release();
  queried->release();
}

}  // namespace
