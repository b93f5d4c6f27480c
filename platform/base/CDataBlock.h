// A heap byte block of fixed capacity, handed out by CBlockAllocator.
#ifndef PLATFORM_BASE_CDATABLOCK_H_
#define PLATFORM_BASE_CDATABLOCK_H_

#include <cstddef>

#include "frame/export.h"
#include "frame/fwbase.h"

namespace fwbase {

// The bytes are zeroed at creation, so a length set past what was written
// never shows stale heap content. data() is never null, also for capacity 0.
// Not thread-safe; the receiver frees it with release().
class AGENT_EXPORT CDataBlock : public IDataBlock {
 public:
  // A block of `capacity` bytes and length 0; null when allocation fails.
  static CDataBlock* create(std::size_t capacity);

  void release() override;
  const unsigned char* data() const override { return bytes_; }
  unsigned char* buffer() override { return bytes_; }
  bool set_length(std::size_t length) override;
  std::size_t length() const override { return length_; }
  std::size_t capacity() const override { return capacity_; }

  CDataBlock(const CDataBlock&) = delete;
  CDataBlock& operator=(const CDataBlock&) = delete;

 private:
  CDataBlock(unsigned char* bytes, std::size_t capacity);
  ~CDataBlock() override;

  unsigned char* bytes_;  // owned, capacity_ bytes (at least one)
  std::size_t capacity_;
  std::size_t length_;
};

}  // namespace fwbase

#endif  // PLATFORM_BASE_CDATABLOCK_H_
