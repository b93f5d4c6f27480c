#include <dirent.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>

#include "test_support/TempDir.h"
#include "utility/CAtomicFile.h"
#include "utility/CUnixHelper.h"

namespace {

using test_support::TempDir;
using utility::CUnixHelper;

std::set<std::string> entries(const std::string& dir) {
  std::set<std::string> names;
  DIR* handle = ::opendir(dir.c_str());
  if (handle == nullptr) return names;
  while (struct dirent* entry = ::readdir(handle)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  ::closedir(handle);
  return names;
}

mode_t mode_of(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(InstallDirTest, FirstLineOfVersionFile) {
  struct Row {
    const char* content;  // null: no file
    const char* expected;
  };
  const Row rows[] = {
      {"/opt/agent\n", "/opt/agent"},         {"/opt/agent/\n", "/opt/agent/"},
      {"/opt/agent", "/opt/agent"},           {"/opt/a\n/opt/b\n", "/opt/a"},
      {" /opt/agent \r\n", " /opt/agent \r"}, {"", ""},
      {nullptr, "/usr/local/zelmor_agent"},
  };
  for (const Row& row : rows) {
    TempDir dir;
    if (row.content != nullptr) dir.write("version_control", row.content);
    EXPECT_EQ(row.expected, CUnixHelper::get_zelmor_path_from(dir.file("version_control")))
        << (row.content ? row.content : "(missing)");
  }
}

TEST(InstallDirTest, LongLineIsCutAt1022Bytes) {
  TempDir dir;
  dir.write("version_control", std::string(2000, 'd') + "\n");
  EXPECT_EQ(std::string(1022, 'd'), CUnixHelper::get_zelmor_path_from(dir.file("version_control")));
}

class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override { old_umask_ = ::umask(022); }
  void TearDown() override { ::umask(old_umask_); }

  TempDir dir_;
  mode_t old_umask_ = 0;
};

TEST_F(CopyTest, CopyReplacesDestinationWithFreshMode) {
  std::string content(5000, 'n');
  content += "tail";
  dir_.write("src", content);
  dir_.write("dst", "old content that is longer than nothing");
  ::chmod(dir_.file("dst").c_str(), 0600);

  ASSERT_TRUE(CUnixHelper::cp_file(dir_.file("src").c_str(), dir_.file("dst").c_str()));
  EXPECT_EQ(content, dir_.read("dst"));
  EXPECT_EQ(content, dir_.read("src"));
  EXPECT_EQ(0644u, mode_of(dir_.file("dst")));
  EXPECT_EQ((std::set<std::string>{"src", "dst"}), entries(dir_.path()));
}

TEST_F(CopyTest, CopyCreatesMissingDestination) {
  dir_.write("src", "");
  ASSERT_TRUE(CUnixHelper::cp_file(dir_.file("src").c_str(), dir_.file("new").c_str()));
  EXPECT_TRUE(dir_.exists("new"));
  EXPECT_EQ("", dir_.read("new"));
}

TEST_F(CopyTest, FailedCopyKeepsDestinationAndLeavesNoTemporary) {
  dir_.write("dst", "precious");
  dir_.make_dirs("a_dir");
  dir_.write("src", "new");
  struct Row {
    const char* src;
    const char* dst;
  };
  const Row rows[] = {
      {"missing", "dst"},     // source cannot be opened
      {"a_dir", "dst"},       // source cannot be read
      {"src", "a_dir"},       // destination cannot be replaced
      {"src", "no_dir/dst"},  // no directory for the temporary file
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.src) + " -> " + row.dst);
    EXPECT_FALSE(CUnixHelper::cp_file(dir_.file(row.src).c_str(), dir_.file(row.dst).c_str()));
    EXPECT_FALSE(CUnixHelper::replace_file(dir_.file(row.src).c_str(), dir_.file(row.dst).c_str()));
    EXPECT_EQ("precious", dir_.read("dst"));
    EXPECT_EQ((std::set<std::string>{"a_dir", "dst", "src"}), entries(dir_.path()));
  }
  EXPECT_EQ("new", dir_.read("src"));
  EXPECT_FALSE(CUnixHelper::cp_file(nullptr, dir_.file("dst").c_str()));
  EXPECT_FALSE(CUnixHelper::replace_file(dir_.file("src").c_str(), nullptr));
}

// A write that stops making progress (here: the file size limit) ends the
// copy; the child process keeps the limit away from the test runner.
TEST_F(CopyTest, WriteFailureKeepsDestination) {
  dir_.write("src", std::string(8000, 'w'));
  dir_.write("dst", "precious");
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    bool copied = CUnixHelper::cp_file(dir_.file("src").c_str(), dir_.file("dst").c_str());
    ::_exit(copied ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status)) << "cp_file reported success";
  EXPECT_EQ("precious", dir_.read("dst"));
  EXPECT_EQ((std::set<std::string>{"dst", "src"}), entries(dir_.path()));
}

TEST_F(CopyTest, ReplaceMovesTheFile) {
  dir_.write("src", "moved");
  dir_.write("dst", "old");
  ASSERT_TRUE(CUnixHelper::replace_file(dir_.file("src").c_str(), dir_.file("dst").c_str()));
  EXPECT_EQ("moved", dir_.read("dst"));
  EXPECT_FALSE(dir_.exists("src"));
}

TEST_F(CopyTest, FileOntoItselfIsLeftAlone) {
  dir_.write("same", "keep me");
  std::string same = dir_.file("same");
  std::string same_again = dir_.path() + "/./same";
  EXPECT_TRUE(CUnixHelper::cp_file(same.c_str(), same_again.c_str()));
  EXPECT_TRUE(CUnixHelper::replace_file(same.c_str(), same_again.c_str()));
  EXPECT_EQ("keep me", dir_.read("same"));
}

TEST_F(CopyTest, ReplaceOntoLinkToSourceMovesTheFile) {
  dir_.write("src", "content");
  ASSERT_EQ(0, ::symlink("src", dir_.file("link").c_str()));
  ASSERT_TRUE(CUnixHelper::replace_file(dir_.file("src").c_str(), dir_.file("link").c_str()));
  EXPECT_FALSE(dir_.exists("src"));
  EXPECT_EQ("content", dir_.read("link"));
}

}  // namespace

namespace {

using utility::CAtomicFile;

TEST(AtomicFileTest, SetsTheModeByRuleAndLeavesOnlyTheTarget) {
  TempDir dir;
  const mode_t old_mask = ::umask(022);
  std::string error;
  ASSERT_TRUE(
      CAtomicFile::replace(dir.file("exact"), "a\n", 0640, CAtomicFile::ModeRule::kExact, &error))
      << error;
  ASSERT_TRUE(CAtomicFile::replace(dir.file("masked"), std::string(200000, 'b'), 0666,
                                   CAtomicFile::ModeRule::kUmask));
  // A name so long that "<name>.tmpXXXXXX" would not fit in a directory entry.
  const std::string long_name(NAME_MAX - 2, 'n');
  ASSERT_TRUE(CAtomicFile::replace(dir.file(long_name), "c", 0600, CAtomicFile::ModeRule::kExact));
  ::umask(old_mask);

  struct stat info;
  ASSERT_EQ(0, ::stat(dir.file("exact").c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 07777);
  ASSERT_EQ(0, ::stat(dir.file("masked").c_str(), &info));
  EXPECT_EQ(0644u, info.st_mode & 07777);
  EXPECT_EQ(std::string(200000, 'b'), dir.read("masked"));
  EXPECT_EQ((std::set<std::string>{"exact", "masked", long_name}), entries(dir.path()));
}

TEST(AtomicFileTest, KeepTargetTakesTheReplacedFilesOwnerAndMode) {
  TempDir dir;
  dir.write("kept", "old");
  ASSERT_EQ(0, ::chmod(dir.file("kept").c_str(), 0604));
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(0, ::chown(dir.file("kept").c_str(), 4321, 4322));
  }
  const mode_t old_mask = ::umask(022);
  ASSERT_TRUE(
      CAtomicFile::replace(dir.file("kept"), "new", 0666, CAtomicFile::ModeRule::kKeepTarget));
  ASSERT_TRUE(
      CAtomicFile::replace(dir.file("fresh"), "new", 0666, CAtomicFile::ModeRule::kKeepTarget));
  ::umask(old_mask);
  struct stat info;
  ASSERT_EQ(0, ::stat(dir.file("kept").c_str(), &info));
  EXPECT_EQ(0604u, info.st_mode & 07777);
  if (root) {
    EXPECT_EQ(4321u, info.st_uid);
    EXPECT_EQ(4322u, info.st_gid);
  }
  EXPECT_EQ("new", dir.read("kept"));
  ASSERT_EQ(0, ::stat(dir.file("fresh").c_str(), &info));
  EXPECT_EQ(0644u, info.st_mode & 07777);
}

TEST(AtomicFileTest, AnAbandonedOrFailedWriteKeepsTheOldFile) {
  TempDir dir;
  dir.write("target", "old");
  {
    CAtomicFile file(dir.file("target"));
    ASSERT_TRUE(file.begin(0644, CAtomicFile::ModeRule::kExact));
    ASSERT_TRUE(file.write("new"));
  }  // never committed
  std::string error;
  EXPECT_FALSE(CAtomicFile::replace(dir.file("missing/target"), "x", 0644,
                                    CAtomicFile::ModeRule::kExact, &error));
  EXPECT_NE(std::string::npos, error.find("missing/target")) << error;
  EXPECT_EQ("old", dir.read("target"));
  EXPECT_EQ(std::set<std::string>{"target"}, entries(dir.path()));
}

}  // namespace
