// Small file helpers of the host objects: bounded reads and atomic
// replacement.
#ifndef HOST_OBJECTS_FILE_IO_H_
#define HOST_OBJECTS_FILE_IO_H_

#include <cstddef>
#include <string>

namespace host {

enum class ReadResult { kOk, kMissing, kFailed };

// Reads the regular file `path` whole into `content` when it holds at most
// `max_size` bytes. kMissing when it does not exist; kFailed (with `error`
// set) when it cannot be read, is not a regular file or is larger.
ReadResult read_small_file(const std::string& path, std::size_t max_size,
                           std::string& content, std::string& error);

// Replaces `path` with `content`: writes a temporary file beside it, syncs
// it and renames it over `path`, so readers see the old or the new content,
// never a part. Missing directories are created (0755). The file keeps the
// mode of the file it replaces, 0644 for a new one. On failure `path` is
// unchanged, no temporary file is left and `error` says why.
bool write_file_atomically(const std::string& path, const std::string& content,
                           std::string& error);

}  // namespace host

#endif  // HOST_OBJECTS_FILE_IO_H_
