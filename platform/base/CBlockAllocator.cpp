#include "platform/base/CBlockAllocator.h"

#include "platform/base/CDataBlock.h"

namespace fwbase {

const std::size_t CBlockAllocator::kMaxBlockSize;

ec::EC CBlockAllocator::alloc(IDataBlock*& block, std::size_t size) {
  block = nullptr;
  if (size > kMaxBlockSize) return ec::kFwTooLarge;
  block = CDataBlock::create(size);
  return block == nullptr ? ec::kFwNoMemory : ec::kFwOk;
}

}  // namespace fwbase
