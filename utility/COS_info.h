// Describes the operating system as a packed version code:
//   bits 25..29  system kind: 1 Linux, 2 AIX, 3 Solaris, 4 HP-UX
//   bits 20..24  major version     bits 15..19  minor version
//   bits 0..4    processor kind (on Linux 0 the i386 family, 1 x64)
// All functions are static, keep no state and are safe from any thread.
#ifndef UTILITY_COS_INFO_H_
#define UTILITY_COS_INFO_H_

#include <sys/utsname.h>

#include <string>

namespace utility {

// The version code of the system `name` describes: the Linux kind when the
// system name contains "Linux", the first and third bytes of the release
// as major and minor (a missing byte counts as 0), processor kind 1 when
// the machine name contains "x64".
int os_version_code(const struct utsname& name);

class COS_info {
 public:
  COS_info() = delete;

  // The code of the running system (0 when uname fails). Returns 0.
  static int get_os_vesion(int& code);
  // A readable text for `code`, such as "Linux 2.6 i386+ cpu", or
  // "Unknown Operating System" for a kind other than 1 to 4. Returns 0.
  static int get_os_vesion_str(int code, std::string& out);
};

}  // namespace utility

#endif  // UTILITY_COS_INFO_H_
