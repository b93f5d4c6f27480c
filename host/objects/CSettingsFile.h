// An XML settings file whose "config" element holds one text element per
// key, such as <config><apache_path>ApachePath</apache_path></config>.
#ifndef HOST_OBJECTS_CSETTINGSFILE_H_
#define HOST_OBJECTS_CSETTINGSFILE_H_

#include <cstddef>
#include <mutex>
#include <string>

namespace pugi {
class xml_document;
}

namespace host {

// Thread-safe: one mutex serializes every read and write of the file, so a
// read-modify-write never loses another thread's change. Changes made by
// other processes between two calls are seen by the next call (nothing is
// cached). Failures are written to the run log once, where they happen.
class CSettingsFile {
 public:
  enum class Lookup { kFound, kAbsent, kFailed };

  // Files above this size are refused rather than read.
  static constexpr std::size_t kMaxFileSize = 1024 * 1024;

  // `template_document` is the document a write starts from when the file
  // does not exist or is empty; it must hold a "config" element.
  CSettingsFile(std::string path, std::string template_document);
  CSettingsFile(const CSettingsFile&) = delete;
  CSettingsFile& operator=(const CSettingsFile&) = delete;

  const std::string& path() const { return path_; }

  // The text of the first "config" element's child `key`. kAbsent (text
  // empty) when the file, the element or the child is missing; kFailed (text
  // empty) when the file cannot be read or parsed.
  Lookup read(const char* key, std::string& text);

  // Sets the text of that child, adding the child, the "config" element or
  // the whole file as needed, and replaces the file atomically. Other
  // content is kept. False, with the file unchanged, when the file cannot
  // be read, parsed or written, or when `text` holds a NUL byte.
  bool write(const char* key, const std::string& text);

 private:
  enum class Load { kLoaded, kNoFile, kFailed };
  Load load_locked(pugi::xml_document& document);

  const std::string path_;
  const std::string template_document_;
  std::mutex mutex_;  // guards the file
};

}  // namespace host

#endif  // HOST_OBJECTS_CSETTINGSFILE_H_
