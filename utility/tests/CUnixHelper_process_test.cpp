#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "test_support/TempDir.h"
#include "utility/CUnixHelper.h"

namespace {

using test_support::TempDir;
using utility::CUnixHelper;

// Sets PATH for one test and puts the old value back afterwards.
class ScopedPath {
 public:
  explicit ScopedPath(const char* value) {
    const char* old = std::getenv("PATH");
    had_path_ = old != nullptr;
    if (had_path_) old_ = old;
    if (value != nullptr) {
      ::setenv("PATH", value, 1);
    } else {
      ::unsetenv("PATH");
    }
  }
  ~ScopedPath() {
    if (had_path_) {
      ::setenv("PATH", old_.c_str(), 1);
    } else {
      ::unsetenv("PATH");
    }
  }
  ScopedPath(const ScopedPath&) = delete;
  ScopedPath& operator=(const ScopedPath&) = delete;

 private:
  bool had_path_ = false;
  std::string old_;
};

// A temporary bin/ holding a fake "echo" that writes each argument it gets
// as "[arg]" lines to args.txt, first on PATH.
class CommandTest : public ::testing::Test {
 protected:
  CommandTest() : path_((dir_.file("bin") + ":/usr/bin:/bin").c_str()) {
    add_program("echo", "printf '[%s]\\n' \"$@\" > '" + dir_.file("args.txt") + "'\n");
  }

  void add_program(const std::string& name, const std::string& body) {
    dir_.write("bin/" + name, "#!/bin/sh\n" + body);
    ::chmod(dir_.file("bin/" + name).c_str(), 0755);
  }

  TempDir dir_;
  ScopedPath path_;
};

int exit_code(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1000; }

TEST_F(CommandTest, WordsReachTheProgramAsArguments) {
  struct Row {
    std::string line;
    std::string args;
  };
  const Row rows[] = {
      {"echo \"a b\" c", "[a b]\n[c]\n"},
      {"echo 'x'", "['x']\n"},
      {"echo   'a  b'  \"c d\"  ", "[a  b]\n[c d]\n"},
      {"echo a '' b", "[a]\n[]\n[b]\n"},
      {dir_.file("bin/echo") + " abs", "[abs]\n"},
  };
  for (const Row& row : rows) {
    ::unlink(dir_.file("args.txt").c_str());
    EXPECT_EQ(0, exit_code(CUnixHelper::tmrx_system(row.line.c_str()))) << row.line;
    EXPECT_EQ(row.args, dir_.read("args.txt")) << row.line;
  }
}

TEST_F(CommandTest, ReturnsTheChildsWaitStatus) {
  add_program("fail", "exit 3\n");
  EXPECT_EQ(3, exit_code(CUnixHelper::tmrx_system("fail")));
  EXPECT_EQ(127, exit_code(CUnixHelper::tmrx_system("no_such_program_here x")));
  EXPECT_EQ(127, exit_code(CUnixHelper::tmrx_system("/no/such/program")));
}

TEST_F(CommandTest, LimitsAreRefusedNotCut) {
  std::string thirty_args;
  for (int i = 0; i < 30; ++i) thirty_args += " w";
  std::string longest = "echo " + std::string(CUnixHelper::kMaxCommandLine - 5, 'y');

  EXPECT_EQ(0, exit_code(CUnixHelper::tmrx_system(("echo" + thirty_args).c_str())));
  std::string thirty_lines;
  for (int i = 0; i < 30; ++i) thirty_lines += "[w]\n";
  EXPECT_EQ(thirty_lines, dir_.read("args.txt"));
  EXPECT_EQ(0, exit_code(CUnixHelper::tmrx_system(longest.c_str())));
  EXPECT_EQ("[" + longest.substr(5) + "]\n", dir_.read("args.txt"));

  const std::string refused[] = {
      "echo" + thirty_args + " w",  // 32 words
      longest + "y",                // 256 bytes
  };
  for (const std::string& line : refused) {
    EXPECT_EQ(-1, CUnixHelper::tmrx_system(line.c_str())) << line.size() << " bytes";
  }
  EXPECT_EQ(-1, CUnixHelper::tmrx_system(nullptr));
}

TEST_F(CommandTest, UnusablePathIsRefused) {
  {
    ScopedPath unset(nullptr);
    EXPECT_EQ(-1, CUnixHelper::tmrx_system("echo x"));
  }
  ScopedPath too_long(("/x" + std::string(250, 'p') + ":/bin:/usr/bin").c_str());
  EXPECT_EQ(-1, CUnixHelper::tmrx_system("echo x"));
}

TEST_F(CommandTest, ResolvesFirstExecutableOnPath) {
  dir_.write("plain/tool", "not executable");
  add_program("tool", "exit 0\n");
  std::string long_dir = "/" + std::string(180, 'l');
  std::string path = long_dir + ":" + dir_.file("plain") + ":" + dir_.file("bin");
  ScopedPath scoped(path.c_str());
  char out[CUnixHelper::kProgramPathBuffer];

  std::string long_name(80, 'n');  // long_dir + "/" + long_name is over 254 bytes
  add_program(long_name, "exit 0\n");
  ASSERT_TRUE(CUnixHelper::get_command_obs_path(long_name.c_str(), out));
  EXPECT_EQ(dir_.file("bin/" + long_name), out);
  ASSERT_TRUE(CUnixHelper::get_command_obs_path("tool", out));
  EXPECT_EQ(dir_.file("bin/tool"), out);

  std::strcpy(out, "stale");
  ASSERT_TRUE(CUnixHelper::get_command_obs_path("missing_tool", out));
  EXPECT_STREQ("", out);
  ASSERT_TRUE(CUnixHelper::get_command_obs_path("/abs/name", out));
  EXPECT_STREQ("/abs/name", out);
}

TEST(CommandPathTest, RefusesWhatDoesNotFit) {
  char out[CUnixHelper::kProgramPathBuffer];
  std::string abs_ok = "/" + std::string(CUnixHelper::kMaxProgramPath - 1, 'a');
  EXPECT_TRUE(CUnixHelper::get_command_obs_path(abs_ok.c_str(), out));
  EXPECT_FALSE(CUnixHelper::get_command_obs_path((abs_ok + "a").c_str(), out));
  EXPECT_FALSE(CUnixHelper::get_command_obs_path(nullptr, out));
  EXPECT_FALSE(CUnixHelper::get_command_obs_path("ls", nullptr));

  std::string many_dirs;
  for (int i = 0; i < CUnixHelper::kMaxWords + 1; ++i) many_dirs += i ? ":/d" : "/d";
  ScopedPath scoped(many_dirs.c_str());
  EXPECT_FALSE(CUnixHelper::get_command_obs_path("ls", out));
}

}  // namespace
