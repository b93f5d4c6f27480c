#include "utility/COS_info.h"

#include <cstring>

namespace utility {

namespace {

const int kKindShift = 25;
const int kMajorShift = 20;
const int kMinorShift = 15;
const int kFieldMask = 0x1f;

const int kKindLinux = 1;
const int kKindAix = 2;
const int kKindSolaris = 3;
const int kKindHpux = 4;

struct CpuName {
  int kind;
  int cpu;
  const char* name;
};

const CpuName kCpuNames[] = {
    {kKindLinux, 0, "i386+ cpu"},     {kKindLinux, 1, "x64 CPU"},
    {kKindAix, 3, "Power 32bit"},     {kKindAix, 4, "Power 64bit"},
    {kKindSolaris, 0, "x32 CPU"},     {kKindSolaris, 2, "Itanium"},
    {kKindSolaris, 5, "Sparc 32bit"}, {kKindSolaris, 6, "Sparc 64bit"},
    {kKindHpux, 2, "Itanium"},        {kKindHpux, 7, "PA-RISC"},
};

// The digit value of release[index], or 0 when the release is shorter.
int release_field(const char* release, std::size_t size, std::size_t index) {
  if (::strnlen(release, size) <= index) return 0;
  return (release[index] - '0') & kFieldMask;
}

// The text before the processor name; null for an unknown kind.
const char* kind_name(int kind) {
  switch (kind) {
    case kKindLinux:
      return "Linux ";
    case kKindAix:
      return "AIX ";
    case kKindSolaris:
      return "Solaris ";
    case kKindHpux:
      return "HP-UX ";
    default:
      return nullptr;
  }
}

}  // namespace

int os_version_code(const struct utsname& name) {
  int code = 0;
  if (std::strstr(name.sysname, "Linux") != nullptr) code |= kKindLinux << kKindShift;
  code |= release_field(name.release, sizeof name.release, 0) << kMajorShift;
  code |= release_field(name.release, sizeof name.release, 2) << kMinorShift;
  if (std::strstr(name.machine, "x64") != nullptr) code |= 1;
  return code;
}

int COS_info::get_os_vesion(int& code) {
  struct utsname name;
  code = ::uname(&name) == 0 ? os_version_code(name) : 0;
  return 0;
}

int COS_info::get_os_vesion_str(int code, std::string& out) {
  int kind = (code >> kKindShift) & kFieldMask;
  const char* kind_text = kind_name(kind);
  if (kind_text == nullptr) {
    out = "Unknown Operating System";
    return 0;
  }
  out = kind_text;
  out += std::to_string((code >> kMajorShift) & kFieldMask);
  out += ".";
  out += std::to_string((code >> kMinorShift) & kFieldMask);
  if (kind != kKindAix) out += " ";
  int cpu = code & kFieldMask;
  for (const CpuName& entry : kCpuNames) {
    if (entry.kind == kind && entry.cpu == cpu) out += entry.name;
  }
  return 0;
}

}  // namespace utility
