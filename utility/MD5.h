// The MD5 message digest (RFC 1321).
//
// The object holds no state: a digest lives in an MD5_CTX owned by the
// caller, so one MD5 object may serve several threads as long as each uses
// its own context. Whole 64-byte blocks of the input are digested where they
// lie; only a partial block is copied into the context.
#ifndef UTILITY_MD5_H_
#define UTILITY_MD5_H_

#include <stdint.h>

#include <cstddef>

namespace utility {

struct MD5_CTX {
  uint32_t state[4];         // A, B, C, D
  uint32_t count[2];         // message length in bits, low word first
  unsigned char buffer[64];  // the pending partial block
};

class MD5 {
 public:
  // Starts a digest in `context`.
  void MD5Init(MD5_CTX* context);
  // Adds `length` bytes of `input`.
  void MD5Update(MD5_CTX* context, const unsigned char* input, std::size_t length);
  // Writes the 16-byte digest and zeroes the context.
  void MD5Final(unsigned char digest[16], MD5_CTX* context);

 private:
  // Digests one 64-byte block into `state`.
  static void MD5Transform(uint32_t state[4], const unsigned char block[64]);
  // Words to little-endian bytes and back; `length` counts bytes (a
  // multiple of 4).
  static void Encode(unsigned char* output, const uint32_t* input, std::size_t length);
  static void Decode(uint32_t* output, const unsigned char* input, std::size_t length);
  static void MD5_memcpy(unsigned char* output, const unsigned char* input, std::size_t length);
  static void MD5_memset(unsigned char* output, int value, std::size_t length);
};

}  // namespace utility

#endif  // UTILITY_MD5_H_
