// What crosses the host's Unix socket.
//
// Request block (what call_func receives):
//   byte 0   kBlockMagic        byte 1  kBlockVersion
//   byte 2   N, length of the interface name
//   byte 3   0
//   4..4+N   the interface name the host routes by ("" = the host itself)
//   rest     the request payload (IRequest::serialize)
//
// Socket frame, both directions: a 4-byte little-endian body length, then
// the body. Client to host, the body is one request block of at most
// rpc::kMaxReplySize bytes. Host to client, the body is
//   byte 0      kFrameIntermediate or kFrameFinal
//   bytes 1..4  little-endian ec::EC: the code of call_func (final) or the
//               code given to ICommand::send (intermediate)
//   rest        a serialized reply (IReply::parse), empty when call_func
//               made no reply block
// Every request gets any number of intermediate frames and then exactly one
// final frame. A frame above the limit closes the connection.
//
// The host's own interface (empty name) has one method, kDirectoryMethod,
// without arguments. Its reply holds one array of records, one per method of
// every loaded interface, each of six strings in this order: interface name,
// GUID, interface description, method name, method description, signature.
#ifndef FRAME_WIRE_H_
#define FRAME_WIRE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/ec.h"
#include "frame/rpc.h"

namespace wire {

const unsigned char kBlockMagic = 0x5A;
const unsigned char kBlockVersion = 1;
const std::size_t kBlockHeader = 4;
const std::size_t kMaxIfaceName = 255;

const std::size_t kFrameLengthSize = 4;
const std::size_t kMaxRequestBody = rpc::kMaxReplySize;
const std::size_t kReplyHeader = 5;
const std::size_t kMaxReplyBody = kReplyHeader + rpc::kMaxReplySize;

const unsigned char kFrameIntermediate = 1;
const unsigned char kFrameFinal = 2;

const char kDirectoryMethod[] = "list";

inline void put_u32(unsigned char* out, std::uint32_t v) {
  out[0] = static_cast<unsigned char>(v);
  out[1] = static_cast<unsigned char>(v >> 8);
  out[2] = static_cast<unsigned char>(v >> 16);
  out[3] = static_cast<unsigned char>(v >> 24);
}

inline std::uint32_t get_u32(const unsigned char* in) {
  return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
         (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

// The request block for `iface` around a serialized payload. Empty when the
// name is longer than kMaxIfaceName.
std::string make_request_block(const std::string& iface, const std::string& payload);

// Splits a request block. False when it is shorter than its header says.
bool split_request_block(const unsigned char* block, std::size_t length, std::string& iface,
                         const unsigned char*& payload, std::size_t& payload_length);

// Blocking helpers for clients (console, tests, benchmarks) on a connected
// stream socket. They retry on EINTR and short transfers.
bool write_frame(int fd, const void* body, std::size_t length);
// Reads one frame body of at most `limit` bytes. False on end of stream,
// error, or a frame above the limit.
bool read_frame(int fd, std::string& body, std::size_t limit);

// Connects to the host's socket; -1 on failure (errno set).
int connect_unix(const std::string& path);

}  // namespace wire

#endif  // FRAME_WIRE_H_
