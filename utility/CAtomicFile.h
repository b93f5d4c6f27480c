// Writes a file so that a crash or a failed write never leaves it half
// written: the content goes to a new temporary file beside the target, which
// is flushed to disk and then renamed over the target. Until commit()
// succeeds the old file is untouched; a failed or abandoned write removes the
// temporary file. One object per write; not thread-safe.
#ifndef UTILITY_CATOMICFILE_H_
#define UTILITY_CATOMICFILE_H_

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace utility {

class CAtomicFile {
 public:
  // How begin() sets the new file's permission bits.
  enum class ModeRule {
    kUmask,  // `mode` less the process umask, as for any newly created file
    kExact,  // exactly `mode`
    // The owner (where allowed) and mode of the file replaced; for a new
    // file, `mode` less the umask.
    kKeepTarget,
  };

  explicit CAtomicFile(const std::string& target);
  ~CAtomicFile();
  CAtomicFile(const CAtomicFile&) = delete;
  CAtomicFile& operator=(const CAtomicFile&) = delete;

  // Creates the temporary file, "<target>.tmpXXXXXX" (".tmpXXXXXX" in the
  // same directory when that name would be too long). False when it cannot.
  bool begin(mode_t mode, ModeRule rule);
  // Buffers and writes; false once any write has failed.
  bool write(const char* data, std::size_t size);
  bool write(const std::string& text) { return write(text.data(), text.size()); }
  // Flushes, syncs and renames over the target, then syncs the directory.
  // False on any failure, in which case the target is left as it was.
  bool commit();
  // Why the last step failed, "" after success.
  const std::string& error() const { return error_; }

  // Writes `content` to `target` in one go.
  static bool replace(const std::string& target, const std::string& content, mode_t mode,
                      ModeRule rule, std::string* error = nullptr);

 private:
  bool flush_buffer();
  bool fail(const char* what, const std::string& path);

  std::string target_;
  std::string temp_path_;
  std::string buffer_;
  std::string error_;
  int fd_;
  bool failed_;
};

}  // namespace utility

#endif  // UTILITY_CATOMICFILE_H_
