#include "utility/COS_info.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <cstring>
#include <string>

namespace {

using utility::COS_info;

struct utsname make_name(const char* sysname, const char* release, const char* machine) {
  struct utsname name;
  std::memset(&name, 0, sizeof name);
  std::strncpy(name.sysname, sysname, sizeof name.sysname - 1);
  std::strncpy(name.release, release, sizeof name.release - 1);
  std::strncpy(name.machine, machine, sizeof name.machine - 1);
  return name;
}

int code_of(int kind, int major, int minor, int cpu) {
  return (kind << 25) | (major << 20) | (minor << 15) | cpu;
}

TEST(OsVersionTest, CodeFromUname) {
  struct Row {
    const char* sysname;
    const char* release;
    const char* machine;
    int expected;
  };
  const Row rows[] = {
      {"Linux", "2.6.32-5-686", "i686", code_of(1, 2, 6, 0)},
      {"Linux", "3.10.0", "x64", code_of(1, 3, 1, 1)},
      {"Linux", "6.1.0-18-amd64", "x86_64", code_of(1, 6, 1, 0)},
      {"Linux", "6", "i686", code_of(1, 6, 0, 0)},
      {"SunOS", "5.10", "sun4u", code_of(0, 5, 1, 0)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected,
              utility::os_version_code(make_name(row.sysname, row.release, row.machine)))
        << row.sysname << " " << row.release << " " << row.machine;
  }
}

TEST(OsVersionTest, RunningSystemIsLinux) {
  int code = 0;
  EXPECT_EQ(0, COS_info::get_os_vesion(code));
  EXPECT_EQ(1, (code >> 25) & 0x1f);
}

TEST(OsVersionTest, TextForEveryKind) {
  struct Row {
    int code;
    const char* text;
  };
  const Row rows[] = {
      {code_of(1, 2, 6, 0), "Linux 2.6 i386+ cpu"},
      {code_of(1, 2, 6, 1), "Linux 2.6 x64 CPU"},
      {code_of(1, 3, 1, 4), "Linux 3.1 "},
      {code_of(2, 5, 3, 3), "AIX 5.3Power 32bit"},
      {code_of(2, 5, 3, 4), "AIX 5.3Power 64bit"},
      {code_of(2, 7, 1, 0), "AIX 7.1"},
      {code_of(3, 5, 1, 0), "Solaris 5.1 x32 CPU"},
      {code_of(3, 5, 1, 2), "Solaris 5.1 Itanium"},
      {code_of(3, 5, 1, 5), "Solaris 5.1 Sparc 32bit"},
      {code_of(3, 5, 1, 6), "Solaris 5.1 Sparc 64bit"},
      {code_of(4, 1, 1, 2), "HP-UX 1.1 Itanium"},
      {code_of(4, 1, 1, 7), "HP-UX 1.1 PA-RISC"},
      {code_of(4, 1, 1, 0), "HP-UX 1.1 "},
      {code_of(0, 2, 6, 0), "Unknown Operating System"},
      {code_of(5, 2, 6, 0), "Unknown Operating System"},
  };
  for (const Row& row : rows) {
    std::string text = "previous";
    EXPECT_EQ(0, COS_info::get_os_vesion_str(row.code, text));
    EXPECT_EQ(row.text, text) << std::hex << row.code;
  }
}

}  // namespace
