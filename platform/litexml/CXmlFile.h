// Whole-file reads with a size bound and crash-safe file replacement for the
// documents. Stateless; safe from any thread.
#ifndef PLATFORM_LITEXML_CXMLFILE_H_
#define PLATFORM_LITEXML_CXMLFILE_H_

#include <cstddef>
#include <string>

class CXmlFile {
 public:
  CXmlFile() = delete;

  // Reads all of the regular file `path` into `content`. False when it cannot
  // be opened, is not a regular file, holds more than `limit` bytes or a
  // read fails.
  static bool read(const std::string& path, std::size_t limit, std::string& content);

  // Writes `content` to a new file beside `path`, flushes it to disk and
  // renames it over `path`; the directory is flushed too. An existing file's
  // mode and owner are kept (the owner only when the caller may set it); a
  // new file gets the mode any new file gets under the umask. False on any
  // failure, with `path` untouched and the temporary file gone.
  static bool replace(const std::string& path, const std::string& content);
};

#endif  // PLATFORM_LITEXML_CXMLFILE_H_
