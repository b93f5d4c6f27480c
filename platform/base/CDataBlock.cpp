#include "platform/base/CDataBlock.h"

#include <new>

namespace fwbase {

CDataBlock* CDataBlock::create(std::size_t capacity) {
  // One byte at least, so data() is a valid pointer for empty blocks too.
  unsigned char* bytes = new (std::nothrow) unsigned char[capacity == 0 ? 1 : capacity]();
  if (bytes == nullptr) return nullptr;
  CDataBlock* block = new (std::nothrow) CDataBlock(bytes, capacity);
  if (block == nullptr) delete[] bytes;
  return block;
}

CDataBlock::CDataBlock(unsigned char* bytes, std::size_t capacity)
    : bytes_(bytes), capacity_(capacity), length_(0) {}

CDataBlock::~CDataBlock() { delete[] bytes_; }

void CDataBlock::release() { delete this; }

bool CDataBlock::set_length(std::size_t length) {
  if (length > capacity_) return false;
  length_ = length;
  return true;
}

}  // namespace fwbase
