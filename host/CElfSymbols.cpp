#include "host/CElfSymbols.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace host {

namespace {

struct Elf32 {
  typedef Elf32_Ehdr Ehdr;
  typedef Elf32_Shdr Shdr;
  typedef Elf32_Sym Sym;
  static unsigned bind(unsigned char info) { return ELF32_ST_BIND(info); }
  static unsigned type(unsigned char info) { return ELF32_ST_TYPE(info); }
};

struct Elf64 {
  typedef Elf64_Ehdr Ehdr;
  typedef Elf64_Shdr Shdr;
  typedef Elf64_Sym Sym;
  static unsigned bind(unsigned char info) { return ELF64_ST_BIND(info); }
  static unsigned type(unsigned char info) { return ELF64_ST_TYPE(info); }
};

// True when [offset, offset + size) lies inside an image of `length` bytes.
bool fits(std::uint64_t offset, std::uint64_t size, std::size_t length) {
  return offset <= length && size <= length - offset;
}

// A bounds-checked view of the image; copies records out so that nothing
// depends on the image's alignment.
class Image {
 public:
  Image(const unsigned char* data, std::size_t length) : data_(data), length_(length) {}

  template <class T>
  bool copy(std::uint64_t offset, T& out) const {
    if (!fits(offset, sizeof out, length_)) return false;
    std::memcpy(&out, data_ + offset, sizeof out);
    return true;
  }
  bool contains(std::uint64_t offset, std::uint64_t size) const {
    return fits(offset, size, length_);
  }
  const unsigned char* at(std::uint64_t offset) const { return data_ + offset; }

 private:
  const unsigned char* data_;
  std::size_t length_;
};

template <class E>
class Reader {
 public:
  Reader(const Image& image, std::string& error) : image_(image), error_(error) {}

  bool read(std::vector<std::string>& names) {
    typename E::Ehdr header;
    if (!image_.copy(0, header)) return fail("truncated ELF header");
    if (!read_section_table(header)) return false;
    for (std::uint64_t i = 0; i < count_; ++i) {
      typename E::Shdr section;
      if (!section_at(i, section)) return false;
      if (section.sh_type == SHT_DYNSYM && !read_symbols(section, names)) return false;
    }
    return true;
  }

 private:
  bool read_section_table(const typename E::Ehdr& header) {
    offset_ = header.e_shoff;
    stride_ = header.e_shentsize;
    count_ = header.e_shnum;
    if (offset_ == 0) {
      count_ = 0;  // no section table: nothing to read
      return true;
    }
    if (stride_ < sizeof(typename E::Shdr)) return fail("bad section header size");
    if (count_ == 0) {  // extended numbering: the count is in section 0
      typename E::Shdr first;
      if (!image_.copy(offset_, first)) return fail("section table outside the file");
      count_ = first.sh_size;
    }
    if (count_ > 0 && (count_ > UINT64_MAX / stride_ || !image_.contains(offset_, count_ * stride_))) {
      return fail("section table outside the file");
    }
    return true;
  }

  bool section_at(std::uint64_t index, typename E::Shdr& out) {
    if (index >= count_ || !image_.copy(offset_ + index * stride_, out)) {
      return fail("section index out of range");
    }
    return true;
  }

  bool read_symbols(const typename E::Shdr& table, std::vector<std::string>& names) {
    std::uint64_t entry = table.sh_entsize == 0 ? sizeof(typename E::Sym) : table.sh_entsize;
    if (entry < sizeof(typename E::Sym)) return fail("bad symbol entry size");
    if (!image_.contains(table.sh_offset, table.sh_size)) return fail("symbol table outside the file");
    typename E::Shdr strings;
    if (!section_at(table.sh_link, strings)) return false;
    if (strings.sh_type != SHT_STRTAB || !image_.contains(strings.sh_offset, strings.sh_size)) {
      return fail("bad symbol string table");
    }
    std::uint64_t symbols = table.sh_size / entry;
    for (std::uint64_t i = 0; i < symbols; ++i) {
      typename E::Sym symbol;
      if (!image_.copy(table.sh_offset + i * entry, symbol)) return fail("truncated symbol");
      if (symbol.st_shndx == SHN_UNDEF || E::bind(symbol.st_info) != STB_GLOBAL ||
          E::type(symbol.st_info) != STT_FUNC) {
        continue;
      }
      std::string name;
      if (!name_at(strings, symbol.st_name, name)) return false;
      names.push_back(name);
    }
    return true;
  }

  bool name_at(const typename E::Shdr& strings, std::uint64_t index, std::string& name) {
    if (index >= strings.sh_size) return fail("symbol name outside its string table");
    const char* start = reinterpret_cast<const char*>(image_.at(strings.sh_offset + index));
    const void* end = std::memchr(start, '\0', strings.sh_size - index);
    if (end == nullptr) return fail("unterminated symbol name");
    name.assign(start, static_cast<const char*>(end));
    return true;
  }

  bool fail(const char* text) {
    error_ = text;
    return false;
  }

  const Image& image_;
  std::string& error_;
  std::uint64_t offset_ = 0;
  std::uint64_t stride_ = 0;
  std::uint64_t count_ = 0;
};

bool host_is_little_endian() {
  const std::uint16_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

}  // namespace

bool CElfSymbols::parse(const unsigned char* image, std::size_t length,
                        std::vector<std::string>& names, std::string& error) {
  if (image == nullptr || length < EI_NIDENT || std::memcmp(image, ELFMAG, SELFMAG) != 0) {
    error = "not an ELF file";
    return false;
  }
  unsigned char native = host_is_little_endian() ? ELFDATA2LSB : ELFDATA2MSB;
  if (image[EI_DATA] != native) {
    error = "ELF file of the other byte order";
    return false;
  }
  Image view(image, length);
  if (image[EI_CLASS] == ELFCLASS64) return Reader<Elf64>(view, error).read(names);
  if (image[EI_CLASS] == ELFCLASS32) return Reader<Elf32>(view, error).read(names);
  error = "unknown ELF class";
  return false;
}

bool CElfSymbols::read(const std::string& path, std::vector<std::string>& names,
                       std::string& error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat info;
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (!ok) error = "not a regular file";
  if (ok && static_cast<std::uint64_t>(info.st_size) > kMaxFileSize) {
    error = "file larger than 64 MiB";
    ok = false;
  }
  std::string content;
  if (ok) {
    // Read what is there, up to the cap, even if the file changes size.
    content.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < content.size()) {
      ssize_t n = ::read(fd, &content[done], content.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    content.resize(done);
  }
  ::close(fd);
  if (!ok) return false;
  return parse(reinterpret_cast<const unsigned char*>(content.data()), content.size(), names,
               error);
}

}  // namespace host
