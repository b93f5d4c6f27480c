#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "host/objects/CShowWarningWindow.h"
#include "utility/CGbkConverter.h"

namespace {

// This file is compiled with GBK literals: plain literals are GBK bytes,
// u8 literals stay UTF-8.
TEST(GbkToUtf8, ConvertsAndReplacesWhatIsNotGbk) {
  struct Row {
    const char* what;
    std::string gbk;
    std::string utf8;
  };
  const Row rows[] = {
      {"ASCII", "CPU 95%", "CPU 95%"},
      {"Chinese", "内存监控", u8"内存监控"},
      {"empty", "", ""},
      {"stray byte in the middle", "a\xFF" "b", u8"a\uFFFDb"},
      {"lead byte cut off at the end", "磁盘\xB4", u8"磁盘\uFFFD"},
      {"lead byte before a blank", "\x81 A", u8"\uFFFD A"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.utf8, utility::CGbkConverter::to_utf8(row.gbk)) << row.what;
}

TEST(WarningLine, IsOneUtf8LineWithTypeTimeAndText) {
  EXPECT_EQ(u8"agent_host: warning [CPU监控] 2024-3-05 07:08:09 CPU使用率出现异常",
            host::CWarningPrinter::format_line("2024-3-05 07:08:09", "CPU监控",
                                               "CPU使用率出现异常"));
  EXPECT_EQ("agent_host: warning [a b] t1 x  y z",
            host::CWarningPrinter::format_line("t1", "a\nb", "x\r\ny\tz"));
}

TEST(WarningWindow, ClonesPrintWholeLinesToTheSharedOutput) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(nullptr, out);
  {
    host::CShowWarningWindow window(std::make_shared<host::CWarningPrinter>(out, false));
    fwbase::IGlobalEnv::IObject* copy = window.clone();
    ASSERT_NE(nullptr, copy);
    auto* clone = static_cast<IObj_ShowWarningWindow*>(copy);
    EXPECT_EQ(ec::kFwOk, window.show_warning("t1", "交换分区监控", "first"));
    EXPECT_EQ(ec::kFwOk, clone->show_warning("t2", "", "second"));
    clone->release();
  }
  std::rewind(out);
  char buffer[256] = {};
  std::string printed(buffer, std::fread(buffer, 1, sizeof(buffer) - 1, out));
  std::fclose(out);
  EXPECT_EQ(std::string(u8"agent_host: warning [交换分区监控] t1 first\n") +
                "agent_host: warning [] t2 second\n",
            printed);
}

}  // namespace
