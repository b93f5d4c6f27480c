#include "utility/CDiyLog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support/TempDir.h"

namespace {

using test_support::TempDir;
using utility::CDiyLog;

// The local time and the four blanks before every message; '9' stands for
// any digit.
const char kStamp[] = "9999/99/99 99:99:99    ";
const std::size_t kStampLength = std::strlen(kStamp);
// Length of the line of the message "x".
const std::size_t kShortLine = kStampLength + 2;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool is_line(const std::string& line, const std::string& message) {
  if (line.size() < kStampLength) return false;
  for (std::size_t i = 0; i < kStampLength; ++i) {
    bool fits = kStamp[i] == '9' ? std::isdigit(static_cast<unsigned char>(line[i])) != 0
                                 : line[i] == kStamp[i];
    if (!fits) return false;
  }
  return line.substr(kStampLength) == message;
}

off_t size_of(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

TEST(DiyLogTest, WritesStampedLines) {
  TempDir dir;
  CDiyLog log;
  ASSERT_TRUE(log.init(dir.file("a.log"), false, false));
  log.write_log("hello %d %s", 7, "world");
  log.write_log("%s", "");
  std::string text = dir.read("a.log");
  ASSERT_EQ('\n', text.back());
  std::vector<std::string> lines = lines_of(text);
  ASSERT_EQ(2u, lines.size());
  EXPECT_TRUE(is_line(lines[0], "hello 7 world")) << lines[0];
  EXPECT_TRUE(is_line(lines[1], "")) << lines[1];
}

TEST(DiyLogTest, OnlyFirstInitCounts) {
  TempDir dir;
  CDiyLog log;
  ASSERT_TRUE(log.init(dir.file("first.log"), false, false));
  EXPECT_FALSE(log.init(dir.file("second.log"), true, true));
  testing::internal::CaptureStdout();
  log.write_log("kept");
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
  EXPECT_FALSE(dir.exists("second.log"));
  EXPECT_TRUE(is_line(dir.read("first.log"), "kept\n"));
}

TEST(DiyLogTest, AppendsOrTruncates) {
  for (bool truncate : {false, true}) {
    TempDir dir;
    dir.write("a.log", "old\n");
    CDiyLog log;
    ASSERT_TRUE(log.init(dir.file("a.log"), false, truncate));
    log.write_log("new");
    std::vector<std::string> lines = lines_of(dir.read("a.log"));
    ASSERT_EQ(truncate ? 1u : 2u, lines.size()) << truncate;
    EXPECT_TRUE(is_line(lines.back(), "new")) << truncate;
  }
}

TEST(DiyLogTest, LongMessageIsCut) {
  TempDir dir;
  CDiyLog log;
  ASSERT_TRUE(log.init(dir.file("a.log"), false, false));
  log.write_log("%s", std::string(2000, 'm').c_str());
  std::vector<std::string> lines = lines_of(dir.read("a.log"));
  ASSERT_EQ(1u, lines.size());
  EXPECT_TRUE(is_line(lines[0], std::string(CDiyLog::kMaxMessage, 'm')));
}

// The file is started afresh after the line that takes it past the limit.
TEST(DiyLogTest, RestartsPastTheSizeLimit) {
  TempDir dir;
  std::string path = dir.file("a.log");
  dir.write("a.log", "");
  ASSERT_EQ(0, ::truncate(path.c_str(), CDiyLog::kMaxFileSize - kShortLine));
  CDiyLog log;
  ASSERT_TRUE(log.init(path, false, false));

  log.write_log("x");  // exactly at the limit: kept
  EXPECT_EQ(CDiyLog::kMaxFileSize, size_of(path));
  log.write_log("x");  // past it: deleted and reopened empty
  EXPECT_EQ(0, size_of(path));
  log.write_log("after");
  std::vector<std::string> lines = lines_of(dir.read("a.log"));
  ASSERT_EQ(1u, lines.size());
  EXPECT_TRUE(is_line(lines[0], "after"));
}

TEST(DiyLogTest, EchoesToStandardOutput) {
  TempDir dir;
  CDiyLog log;
  ASSERT_TRUE(log.init(dir.file("a.log"), true, false));
  testing::internal::CaptureStdout();
  log.write_log("echo %d", 1);
  log.write_log("echo %d", 2);
  std::string echoed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(dir.read("a.log"), echoed);
  EXPECT_EQ(2u, lines_of(echoed).size());
}

TEST(DiyLogTest, ResumesOnceTheDirectoryExists) {
  TempDir dir;
  CDiyLog log;
  EXPECT_FALSE(log.init(dir.file("runlog/a.log"), false, false));
  log.write_log("lost");
  EXPECT_FALSE(dir.exists("runlog/a.log"));

  dir.make_dirs("runlog");
  log.write_log("reopens");  // finds the stream failed and reopens the file
  EXPECT_TRUE(dir.exists("runlog/a.log"));
  log.write_log("written");
  std::vector<std::string> lines = lines_of(dir.read("runlog/a.log"));
  ASSERT_EQ(1u, lines.size());
  EXPECT_TRUE(is_line(lines[0], "written"));
}

TEST(DiyLogTest, ThreadsNeverInterleaveLines) {
  const int kThreads = 4;
  const int kLinesEach = 300;
  TempDir dir;
  CDiyLog log;
  ASSERT_TRUE(log.init(dir.file("a.log"), false, false));
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&log, t] {
      std::string body(500, static_cast<char>('a' + t));
      for (int i = 0; i < kLinesEach; ++i) log.write_log("%d %s", t, body.c_str());
    });
  }
  for (std::thread& writer : writers) writer.join();

  std::vector<std::string> lines = lines_of(dir.read("a.log"));
  ASSERT_EQ(static_cast<std::size_t>(kThreads * kLinesEach), lines.size());
  std::vector<int> per_thread(kThreads, 0);
  for (const std::string& line : lines) {
    std::string::size_type digit = kStampLength;
    ASSERT_GT(line.size(), digit) << line;
    int t = line[digit] - '0';
    ASSERT_TRUE(t >= 0 && t < kThreads) << line;
    ASSERT_TRUE(is_line(line, std::to_string(t) + " " + std::string(500, 'a' + t))) << line;
    ++per_thread[t];
  }
  EXPECT_EQ(std::vector<int>(kThreads, kLinesEach), per_thread);
}

}  // namespace
