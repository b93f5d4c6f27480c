// The byte encoding of parameter lists.
//
//   value := u8 type, then by type: 1 -> u8 0 or 1; 7 -> u32; 9 -> u64;
//            13 -> u32 length + bytes; 15 -> list; 16 -> u32 n + n lists
//   list  := u32 count + count values
// All numbers little-endian. Records and arrays nest at most kMaxDepth deep
// (the outermost list is depth 0, each record or array adds one).
#ifndef PLATFORM_BASE_CPARAMSCODEC_H_
#define PLATFORM_BASE_CPARAMSCODEC_H_

#include <cstddef>
#include <cstdint>

#include "frame/rpc.h"
#include "platform/base/CByteReader.h"
#include "platform/base/CParams.h"

namespace rpc {

// Stateless; safe to use from several threads on different trees.
class CParamsCodec {
 public:
  static const int kMaxDepth = 8;

  CParamsCodec() = delete;

  // Bytes that encode `list`: its count, then every entry still on it
  // (popped entries are not written). 0 when the tree cannot be encoded:
  // nested deeper than kMaxDepth, a string or count beyond 32 bits, an
  // unknown type code, a null entry or value, a record that is not a list.
  static std::size_t list_size(IParams* list);
  // Writes the encoding of a list that list_size() accepted into `out`,
  // which holds list_size() bytes. Returns the byte after the last written.
  static unsigned char* write_list(IParams* list, unsigned char* out);
  static unsigned char* write_u32(unsigned char* out, std::uint32_t value);

  // Reads one list. Null on malformed input or when allocation fails; what
  // was read is then freed and the reader's position is unspecified. Never
  // reads past the reader's end and checks every count against the bytes
  // left before allocating for it.
  static CParams* read_list(CByteReader& reader);
};

}  // namespace rpc

#endif  // PLATFORM_BASE_CPARAMSCODEC_H_
