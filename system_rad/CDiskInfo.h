// Mounted file systems from /etc/mtab (the path comes from sampling_env())
// and their capacity from statfs.
//
// Stateless: static functions only, safe on any thread. Failures are
// reported only by the result code (0 is success); nothing is logged or
// thrown.
#ifndef SYSTEM_RAD_CDISKINFO_H_
#define SYSTEM_RAD_CDISKINFO_H_

#include <sys/vfs.h>

#include <string>
#include <vector>

namespace utility {

class CDiskInfo {
 public:
  // One mounted file system: the first three fields of its mtab line and
  // the statfs result for its mount point, as the system returns it.
  struct DiskInfo {
    std::string device;
    std::string mount_point;
    std::string fs_type;
    struct statfs fs;
  };

  // Appends one entry per mtab line of at least three fields, in file
  // order; no file system is filtered out. The octal escapes the kernel
  // writes for blanks, tabs, line ends and backslashes in the fields
  // ("\040") are decoded.
  // Result: 0 all lines read; 1 cannot open; 2 read error; 3 no memory;
  // 4 statfs failed; 5 a mount point does not exist. Reading stops at the
  // first failure; entries appended before it stay.
  static int get_disk_info(std::vector<DiskInfo>& list);

  // `field` with every "\ooo" octal escape replaced by its byte.
  static std::string decode_mtab_field(const std::string& field);
};

}  // namespace utility

#endif  // SYSTEM_RAD_CDISKINFO_H_
