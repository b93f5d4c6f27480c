#include "utility/MD5.h"

#include <cstring>

namespace utility {

namespace {

const unsigned char kPadding[64] = {0x80};

inline uint32_t rotate_left(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// One step of each round: a = b + ((a + f(b, c, d) + x + t) <<< s). The
// parts that do not wait for b are added first, to keep the chain of
// dependent operations from one step to the next short.
inline void round_f(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t,
                    int s) {
  a += x + t;
  a += d ^ (b & (c ^ d));
  a = b + rotate_left(a, s);
}
inline void round_g(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t,
                    int s) {
  // (b & d) | (c & ~d): the two terms share no bit, so they may be added.
  a += x + t + (c & ~d);
  a += b & d;
  a = b + rotate_left(a, s);
}
inline void round_h(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t,
                    int s) {
  a += x + t;
  a += b ^ (c ^ d);
  a = b + rotate_left(a, s);
}
inline void round_i(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t,
                    int s) {
  a += x + t;
  a += c ^ (b | ~d);
  a = b + rotate_left(a, s);
}

}  // namespace

void MD5::MD5Init(MD5_CTX* context) {
  context->count[0] = context->count[1] = 0;
  context->state[0] = 0x67452301;
  context->state[1] = 0xefcdab89;
  context->state[2] = 0x98badcfe;
  context->state[3] = 0x10325476;
}

void MD5::MD5Update(MD5_CTX* context, const unsigned char* input, std::size_t length) {
  std::size_t index = (context->count[0] >> 3) & 0x3F;
  uint64_t bits = (uint64_t(context->count[1]) << 32) | context->count[0];
  bits += uint64_t(length) << 3;
  context->count[0] = static_cast<uint32_t>(bits);
  context->count[1] = static_cast<uint32_t>(bits >> 32);

  std::size_t done = 0;
  std::size_t room = 64 - index;
  if (length >= room) {
    MD5_memcpy(context->buffer + index, input, room);
    MD5Transform(context->state, context->buffer);
    for (done = room; length - done >= 64; done += 64) {
      MD5Transform(context->state, input + done);
    }
    index = 0;
  }
  MD5_memcpy(context->buffer + index, input + done, length - done);
}

void MD5::MD5Final(unsigned char digest[16], MD5_CTX* context) {
  unsigned char bits[8];
  Encode(bits, context->count, 8);
  std::size_t index = (context->count[0] >> 3) & 0x3F;
  MD5Update(context, kPadding, index < 56 ? 56 - index : 120 - index);
  MD5Update(context, bits, 8);
  Encode(digest, context->state, 16);
  MD5_memset(reinterpret_cast<unsigned char*>(context), 0, sizeof *context);
}

void MD5::MD5Transform(uint32_t state[4], const unsigned char block[64]) {
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  uint32_t x[16];
  Decode(x, block, 64);

  // Round 1.
  round_f(a, b, c, d, x[0], 0xd76aa478, 7);
  round_f(d, a, b, c, x[1], 0xe8c7b756, 12);
  round_f(c, d, a, b, x[2], 0x242070db, 17);
  round_f(b, c, d, a, x[3], 0xc1bdceee, 22);
  round_f(a, b, c, d, x[4], 0xf57c0faf, 7);
  round_f(d, a, b, c, x[5], 0x4787c62a, 12);
  round_f(c, d, a, b, x[6], 0xa8304613, 17);
  round_f(b, c, d, a, x[7], 0xfd469501, 22);
  round_f(a, b, c, d, x[8], 0x698098d8, 7);
  round_f(d, a, b, c, x[9], 0x8b44f7af, 12);
  round_f(c, d, a, b, x[10], 0xffff5bb1, 17);
  round_f(b, c, d, a, x[11], 0x895cd7be, 22);
  round_f(a, b, c, d, x[12], 0x6b901122, 7);
  round_f(d, a, b, c, x[13], 0xfd987193, 12);
  round_f(c, d, a, b, x[14], 0xa679438e, 17);
  round_f(b, c, d, a, x[15], 0x49b40821, 22);
  // Round 2.
  round_g(a, b, c, d, x[1], 0xf61e2562, 5);
  round_g(d, a, b, c, x[6], 0xc040b340, 9);
  round_g(c, d, a, b, x[11], 0x265e5a51, 14);
  round_g(b, c, d, a, x[0], 0xe9b6c7aa, 20);
  round_g(a, b, c, d, x[5], 0xd62f105d, 5);
  round_g(d, a, b, c, x[10], 0x02441453, 9);
  round_g(c, d, a, b, x[15], 0xd8a1e681, 14);
  round_g(b, c, d, a, x[4], 0xe7d3fbc8, 20);
  round_g(a, b, c, d, x[9], 0x21e1cde6, 5);
  round_g(d, a, b, c, x[14], 0xc33707d6, 9);
  round_g(c, d, a, b, x[3], 0xf4d50d87, 14);
  round_g(b, c, d, a, x[8], 0x455a14ed, 20);
  round_g(a, b, c, d, x[13], 0xa9e3e905, 5);
  round_g(d, a, b, c, x[2], 0xfcefa3f8, 9);
  round_g(c, d, a, b, x[7], 0x676f02d9, 14);
  round_g(b, c, d, a, x[12], 0x8d2a4c8a, 20);
  // Round 3.
  round_h(a, b, c, d, x[5], 0xfffa3942, 4);
  round_h(d, a, b, c, x[8], 0x8771f681, 11);
  round_h(c, d, a, b, x[11], 0x6d9d6122, 16);
  round_h(b, c, d, a, x[14], 0xfde5380c, 23);
  round_h(a, b, c, d, x[1], 0xa4beea44, 4);
  round_h(d, a, b, c, x[4], 0x4bdecfa9, 11);
  round_h(c, d, a, b, x[7], 0xf6bb4b60, 16);
  round_h(b, c, d, a, x[10], 0xbebfbc70, 23);
  round_h(a, b, c, d, x[13], 0x289b7ec6, 4);
  round_h(d, a, b, c, x[0], 0xeaa127fa, 11);
  round_h(c, d, a, b, x[3], 0xd4ef3085, 16);
  round_h(b, c, d, a, x[6], 0x04881d05, 23);
  round_h(a, b, c, d, x[9], 0xd9d4d039, 4);
  round_h(d, a, b, c, x[12], 0xe6db99e5, 11);
  round_h(c, d, a, b, x[15], 0x1fa27cf8, 16);
  round_h(b, c, d, a, x[2], 0xc4ac5665, 23);
  // Round 4.
  round_i(a, b, c, d, x[0], 0xf4292244, 6);
  round_i(d, a, b, c, x[7], 0x432aff97, 10);
  round_i(c, d, a, b, x[14], 0xab9423a7, 15);
  round_i(b, c, d, a, x[5], 0xfc93a039, 21);
  round_i(a, b, c, d, x[12], 0x655b59c3, 6);
  round_i(d, a, b, c, x[3], 0x8f0ccc92, 10);
  round_i(c, d, a, b, x[10], 0xffeff47d, 15);
  round_i(b, c, d, a, x[1], 0x85845dd1, 21);
  round_i(a, b, c, d, x[8], 0x6fa87e4f, 6);
  round_i(d, a, b, c, x[15], 0xfe2ce6e0, 10);
  round_i(c, d, a, b, x[6], 0xa3014314, 15);
  round_i(b, c, d, a, x[13], 0x4e0811a1, 21);
  round_i(a, b, c, d, x[4], 0xf7537e82, 6);
  round_i(d, a, b, c, x[11], 0xbd3af235, 10);
  round_i(c, d, a, b, x[2], 0x2ad7d2bb, 15);
  round_i(b, c, d, a, x[9], 0xeb86d391, 21);

  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void MD5::Encode(unsigned char* output, const uint32_t* input, std::size_t length) {
  for (std::size_t i = 0, j = 0; j < length; ++i, j += 4) {
    output[j] = static_cast<unsigned char>(input[i]);
    output[j + 1] = static_cast<unsigned char>(input[i] >> 8);
    output[j + 2] = static_cast<unsigned char>(input[i] >> 16);
    output[j + 3] = static_cast<unsigned char>(input[i] >> 24);
  }
}

void MD5::Decode(uint32_t* output, const unsigned char* input, std::size_t length) {
  // The compiler turns each line into one load on little-endian machines.
  for (std::size_t i = 0, j = 0; j < length; ++i, j += 4) {
    output[i] = uint32_t(input[j]) | (uint32_t(input[j + 1]) << 8) |
                (uint32_t(input[j + 2]) << 16) | (uint32_t(input[j + 3]) << 24);
  }
}

void MD5::MD5_memcpy(unsigned char* output, const unsigned char* input, std::size_t length) {
  if (length > 0) std::memcpy(output, input, length);
}

void MD5::MD5_memset(unsigned char* output, int value, std::size_t length) {
  std::memset(output, value, length);
}

}  // namespace utility
