// Writes a file so that a crash or a failed write never leaves it half
// written: the content goes to a temporary file beside the target, which is
// flushed to disk and then renamed over the target. Until commit() succeeds
// the old file is untouched. One object per write; not thread-safe.
#ifndef PLATFORM_IPFILTER_CATOMICFILE_H_
#define PLATFORM_IPFILTER_CATOMICFILE_H_

#include <cstddef>
#include <string>

namespace ipfilter {

class CAtomicFile {
 public:
  explicit CAtomicFile(const std::string& target);
  // Removes the temporary file unless commit() succeeded.
  ~CAtomicFile();
  CAtomicFile(const CAtomicFile&) = delete;
  CAtomicFile& operator=(const CAtomicFile&) = delete;

  // Creates the temporary file (mode 0640). False when it cannot be made.
  bool begin();
  // Buffers and writes; false once any write has failed.
  bool write(const char* data, std::size_t size);
  bool write(const std::string& text) { return write(text.data(), text.size()); }
  // Flushes, syncs and renames over the target. False on any failure, in
  // which case the target is left as it was.
  bool commit();

  // Writes `content` to `target` in one go.
  static bool replace(const std::string& target, const std::string& content);

 private:
  bool flush_buffer();

  std::string target_;
  std::string temp_path_;
  std::string buffer_;
  int fd_;
  bool failed_;
};

}  // namespace ipfilter

#endif  // PLATFORM_IPFILTER_CATOMICFILE_H_
