// The framework's block allocator.
#ifndef PLATFORM_BASE_CBLOCKALLOCATOR_H_
#define PLATFORM_BASE_CBLOCKALLOCATOR_H_

#include <cstddef>

#include "frame/export.h"
#include "frame/fwbase.h"

namespace fwbase {

// Stateless and thread-safe. Blocks are CDataBlock objects.
class AGENT_EXPORT CBlockAllocator : public IBlockAllocator {
 public:
  // The largest block handed out.
  static const std::size_t kMaxBlockSize = 16 * 1024 * 1024;

  CBlockAllocator() {}
  ~CBlockAllocator() override {}

  // A zeroed block of `size` bytes capacity (0 is a valid, empty block).
  // ec::kFwTooLarge above kMaxBlockSize, ec::kFwNoMemory when allocation
  // fails; `block` is null on failure.
  ec::EC alloc(IDataBlock*& block, std::size_t size) override;
};

}  // namespace fwbase

#endif  // PLATFORM_BASE_CBLOCKALLOCATOR_H_
