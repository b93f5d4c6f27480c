// Result codes shared by the framework, the RPC layer and the plug-ins.
//
// Bit 31 set means success: read as a signed 32-bit number, a negative code
// is a success and a non-negative one a failure. Bits 16..23 name the module,
// the low 16 bits carry the code.
#ifndef FRAME_EC_H_
#define FRAME_EC_H_

#include <cstdint>
#include <cstdio>
#include <string>

namespace ec {

typedef std::uint32_t EC;

inline bool succeeded(EC code) { return static_cast<std::int32_t>(code) < 0; }
inline bool failed(EC code) { return !succeeded(code); }
inline unsigned module_of(EC code) { return (code >> 16) & 0xFF; }

// "0x983C0000": upper-case hex, eight digits, as codes are shown to people.
inline std::string to_text(EC code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

// Framework (libbase_linux), module 0x01.
const EC kFwOk = 0x84010000;
const EC kFwNotFound = 0x04010001;    // no object registered under the name
const EC kFwBadArgument = 0x04010002; // null name, null object, bad size
const EC kFwNoMemory = 0x04010003;    // allocation or clone failed
const EC kFwIo = 0x04010004;          // the caller's connection is gone
const EC kFwTooLarge = 0x04010005;    // block beyond the frame limit

// Host process (agent_host), module 0x02.
const EC kHostNoInterface = 0x04020001; // request names no loaded interface
const EC kHostBadBlock = 0x04020002;    // request block shorter than its header

// RPC realization layer, module 0x0C.
const EC kRpcOk = 0x840C0000;            // reply block made
const EC kRpcNoMethod = 0x040C0001;      // method name not in the table
const EC kRpcMissingArg = 0x040C0005;    // an argument is missing (or of the wrong type)
const EC kRpcCreateValue = 0x040C0006;   // making a reply value failed
const EC kRpcCreateList = 0x040C0007;    // making a reply list failed
const EC kRpcCreateRequest = 0x040C0008; // making the request object failed
const EC kRpcCreateReply = 0x040C0009;   // making the reply object failed
const EC kRpcParse = 0x040C000A;         // parsing the request payload failed
const EC kRpcSizeMismatch = 0x040C000B;  // serialized size differs from the announced size
// Reply longer than kMaxReplySize. Bit 31 is set, so callers that test only
// the sign take it as a success although no block was made.
const EC kRpcReplyTooLong = 0x840C000C;

}  // namespace ec

#endif  // FRAME_EC_H_
