// What identifies one version of a file on disk: device, inode, size and
// modification time. A file replaced by rename gets a new inode, so two equal
// stamps taken apart mean nobody rewrote the file in between.
#ifndef PLATFORM_IPFILTER_FILESTAMP_H_
#define PLATFORM_IPFILTER_FILESTAMP_H_

#include <sys/stat.h>

#include <string>

namespace ipfilter {

struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  struct timespec modified = {0, 0};

  static FileStamp of(const std::string& path) {
    FileStamp stamp;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = st.st_mtim;
    return stamp;
  }

  // A missing file never matches, so it is always written again.
  bool operator==(const FileStamp& other) const {
    return exists && other.exists && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
  }
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_FILESTAMP_H_
