#include "system_rad/CDiskInfo.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "system_rad/SamplingEnv.h"
#include "system_rad/TextInput.h"
#include "utility/CStr.h"

namespace utility {

namespace {

const std::size_t kLineBuffer = 4096;
const std::size_t kMinFields = 3;

bool is_octal(char c) { return c >= '0' && c <= '7'; }

}  // namespace

std::string CDiskInfo::decode_mtab_field(const std::string& field) {
  if (field.find('\\') == std::string::npos) return field;
  std::string decoded;
  decoded.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        is_octal(field[i + 2]) && is_octal(field[i + 3])) {
      decoded += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                   (field[i + 3] - '0'));
      i += 3;
    } else {
      decoded += field[i];
    }
  }
  return decoded;
}

int CDiskInfo::get_disk_info(std::vector<DiskInfo>& list) {
  TextFile file = open_text(sampling_env().etc_mtab);
  if (!file) return 1;
  std::unique_ptr<char[]> line(new (std::nothrow) char[kLineBuffer]);
  if (!line) return 3;
  try {
    std::vector<std::string> fields;
    while (next_line(file.get(), line.get(), kLineBuffer)) {
      fields.clear();
      CStr::ext_line(fields, line.get());
      if (fields.size() < kMinFields) continue;
      DiskInfo info;
      info.device = decode_mtab_field(fields[0]);
      info.mount_point = decode_mtab_field(fields[1]);
      info.fs_type = decode_mtab_field(fields[2]);
      if (access(info.mount_point.c_str(), F_OK) != 0) return 5;
      std::memset(&info.fs, 0, sizeof(info.fs));
      if (statfs(info.mount_point.c_str(), &info.fs) != 0) return 4;
      list.push_back(std::move(info));
    }
  } catch (const std::bad_alloc&) {
    return 3;
  }
  return std::ferror(file.get()) ? 2 : 0;
}

}  // namespace utility
