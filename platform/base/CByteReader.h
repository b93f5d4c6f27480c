// Bounded little-endian reading of a byte range.
#ifndef PLATFORM_BASE_CBYTEREADER_H_
#define PLATFORM_BASE_CBYTEREADER_H_

#include <cstddef>
#include <cstdint>

namespace rpc {

// Reads forward through [data, data + length) and never past its end: every
// read that would cross it fails and leaves the position unchanged. Does not
// own the bytes.
class CByteReader {
 public:
  CByteReader(const void* data, std::size_t length)
      : pos_(static_cast<const unsigned char*>(data)), end_(pos_ + (data ? length : 0)) {}

  std::size_t left() const { return static_cast<std::size_t>(end_ - pos_); }
  bool at_end() const { return pos_ == end_; }

  bool read_u8(unsigned& value);
  bool read_u32(std::uint32_t& value);
  bool read_u64(std::uint64_t& value);
  // Points `bytes` at the next `length` bytes and moves past them.
  bool read_bytes(std::size_t length, const unsigned char*& bytes);

 private:
  const unsigned char* pos_;
  const unsigned char* end_;
};

}  // namespace rpc

#endif  // PLATFORM_BASE_CBYTEREADER_H_
