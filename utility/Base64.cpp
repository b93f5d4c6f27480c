#include "utility/Base64.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace utility {

const char CHAR_TABLE[65] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// clang-format off
const int INDEX_TABLE[256] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 62, -1, -1, -1, 63,
    52, 53, 54, 55, 56, 57, 58, 59, 60, 61, -1, -1, -1, -1, -1, -1,
    -1,  0,  1,  2,  3,  4,  5,  6,  7,  8,  9, 10, 11, 12, 13, 14,
    15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, -1, -1, -1, -1, -1,
    -1, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40,
    41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
};
// clang-format on

namespace {

const char kPad = '=';

std::size_t encoded_length(std::size_t length) { return (length + 2) / 3 * 4; }

int value_of(char c) { return INDEX_TABLE[static_cast<unsigned char>(c)]; }

bool is_base64_char(char c) { return c == kPad || value_of(c) >= 0; }

// The two characters of every 12-bit value: a 24-bit group takes two
// lookups instead of four.
struct PairTable {
  char pairs[4096][2];
  PairTable() {
    for (unsigned v = 0; v < 4096; ++v) {
      pairs[v][0] = CHAR_TABLE[v >> 6];
      pairs[v][1] = CHAR_TABLE[v & 63];
    }
  }
};

const PairTable& pair_table() {
  static const PairTable table;
  return table;
}

// Writes encoded_length(length) characters.
void encode_into(const unsigned char* in, std::size_t length, char* out) {
  const char(*pairs)[2] = pair_table().pairs;
  std::size_t whole = length - length % 3;
  for (std::size_t i = 0; i < whole; i += 3, out += 4) {
    unsigned v = (unsigned(in[i]) << 16) | (unsigned(in[i + 1]) << 8) | in[i + 2];
    std::memcpy(out, pairs[v >> 12], 2);
    std::memcpy(out + 2, pairs[v & 0xFFF], 2);
  }
  if (length - whole == 0) return;
  unsigned v = unsigned(in[whole]) << 16;
  if (length - whole == 2) v |= unsigned(in[whole + 1]) << 8;
  out[0] = CHAR_TABLE[v >> 18];
  out[1] = CHAR_TABLE[(v >> 12) & 63];
  out[2] = length - whole == 2 ? CHAR_TABLE[(v >> 6) & 63] : kPad;
  out[3] = kPad;
}

// Length of the decoded form of `length` filtered characters ending in
// `text + length`; 0 when the text cannot be decoded as a whole.
std::size_t decoded_length(const char* text, std::size_t length) {
  if (length == 0 || length % 4 != 0) return 0;
  std::size_t pad = 0;
  while (pad < 3 && text[length - 1 - pad] == kPad) ++pad;
  if (pad > 2) return 0;
  return length / 4 * 3 - pad;
}

// Decodes `length` filtered characters into decoded_length() bytes. False
// when a pad character stands inside the text.
bool decode_into(const char* text, std::size_t length, std::size_t out_length, unsigned char* out) {
  std::size_t groups = length / 4;
  for (std::size_t g = 0; g + 1 < groups; ++g, text += 4, out += 3) {
    int a = value_of(text[0]), b = value_of(text[1]), c = value_of(text[2]), d = value_of(text[3]);
    if ((a | b | c | d) < 0) return false;
    unsigned v = (unsigned(a) << 18) | (unsigned(b) << 12) | (unsigned(c) << 6) | unsigned(d);
    out[0] = static_cast<unsigned char>(v >> 16);
    out[1] = static_cast<unsigned char>(v >> 8);
    out[2] = static_cast<unsigned char>(v);
  }
  // The last group: 4 characters, the final one or two of which may be pads.
  std::size_t tail = out_length - (groups - 1) * 3;
  unsigned v = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    int value = value_of(text[k]);
    if (value < 0 && k <= tail) return false;
    v = (v << 6) | unsigned(value < 0 ? 0 : value);
  }
  for (std::size_t k = 0; k < tail; ++k) out[k] = static_cast<unsigned char>(v >> (16 - 8 * k));
  return true;
}

// Decodes into a new[] buffer; nullptr and 0 when empty or invalid.
void decode_filtered(const char* text, std::size_t length, unsigned char*& out,
                     std::size_t& out_length) {
  out = nullptr;
  out_length = 0;
  std::size_t size = decoded_length(text, length);
  if (size == 0) return;
  unsigned char* buffer = new (std::nothrow) unsigned char[size];
  if (buffer == nullptr) return;
  if (!decode_into(text, length, size, buffer)) {
    delete[] buffer;
    return;
  }
  out = buffer;
  out_length = size;
}

bool all_base64(const char* data, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (!is_base64_char(data[i])) return false;
  }
  return true;
}

}  // namespace

void Base64::encode(char*& out, std::size_t& out_length, const unsigned char* data,
                    std::size_t length) {
  out = nullptr;
  out_length = 0;
  if (data == nullptr || length == 0 || length > (static_cast<std::size_t>(-1) - 2) / 4 * 3) {
    return;
  }
  std::size_t size = encoded_length(length);
  out = new (std::nothrow) char[size];
  if (out == nullptr) return;
  encode_into(data, length, out);
  out_length = size;
}

std::string Base64::encode(const std::string& data) {
  if (data.empty()) return std::string();
  try {
    std::string text(encoded_length(data.size()), '\0');
    encode_into(reinterpret_cast<const unsigned char*>(data.data()), data.size(), &text[0]);
    return text;
  } catch (const std::bad_alloc&) {
    return std::string();
  } catch (const std::length_error&) {
    return std::string();
  }
}

void Base64::decode(unsigned char*& out, std::size_t& out_length, const char* data,
                    std::size_t length) {
  out = nullptr;
  out_length = 0;
  if (data == nullptr || length == 0) return;
  if (all_base64(data, length)) {
    decode_filtered(data, length, out, out_length);
    return;
  }
  std::string filtered = removeNonBase64Chars(std::string(data, length));
  decode_filtered(filtered.data(), filtered.size(), out, out_length);
}

std::string Base64::decode(const std::string& text) {
  std::string filtered;
  const std::string* source = &text;
  if (!all_base64(text.data(), text.size())) {
    filtered = removeNonBase64Chars(text);
    source = &filtered;
  }
  std::size_t size = decoded_length(source->data(), source->size());
  if (size == 0) return std::string();
  std::string bytes(size, '\0');
  if (!decode_into(source->data(), source->size(), size,
                   reinterpret_cast<unsigned char*>(&bytes[0]))) {
    return std::string();
  }
  return bytes;
}

std::string Base64::removeNonBase64Chars(const std::string& text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (is_base64_char(c)) kept += c;
  }
  return kept;
}

}  // namespace utility
