// Reads the names of the defined global functions of a shared library from
// its ELF dynamic symbol table, without loading it.
#ifndef HOST_CELFSYMBOLS_H_
#define HOST_CELFSYMBOLS_H_

#include <cstddef>
#include <string>
#include <vector>

namespace host {

class CElfSymbols {
 public:
  // Files above this size are refused unread.
  static const std::size_t kMaxFileSize = 64u << 20;

  // Parses an ELF image (32 or 64 bit, little-endian) held in memory. Every
  // offset is checked against `length`. Appends to `names` each symbol of
  // SHT_DYNSYM tables that is a defined, global function. False with
  // `error` set when the image is not such a file or is damaged.
  static bool parse(const unsigned char* image, std::size_t length,
                    std::vector<std::string>& names, std::string& error);

  // Reads the file at `path` (at most kMaxFileSize bytes) and parses it.
  static bool read(const std::string& path, std::vector<std::string>& names, std::string& error);
};

}  // namespace host

#endif  // HOST_CELFSYMBOLS_H_
