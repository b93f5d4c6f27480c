#include "platform/base/CByteReader.h"

namespace rpc {

bool CByteReader::read_u8(unsigned& value) {
  if (left() < 1) return false;
  value = *pos_++;
  return true;
}

bool CByteReader::read_u32(std::uint32_t& value) {
  if (left() < 4) return false;
  value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | pos_[i];
  pos_ += 4;
  return true;
}

bool CByteReader::read_u64(std::uint64_t& value) {
  if (left() < 8) return false;
  value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | pos_[i];
  pos_ += 8;
  return true;
}

bool CByteReader::read_bytes(std::size_t length, const unsigned char*& bytes) {
  if (left() < length) return false;
  bytes = pos_;
  pos_ += length;
  return true;
}

}  // namespace rpc
