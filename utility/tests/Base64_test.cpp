#include "utility/Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace utility {
namespace {

struct Vector {
  const char* data;
  const char* text;
};

// RFC 4648, section 10.
const Vector kVectors[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
};

std::string encode_with_buffer(const std::string& data) {
  char* out = reinterpret_cast<char*>(1);
  std::size_t length = 99;
  Base64::encode(out, length, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  std::string text = out ? std::string(out, length) : std::string();
  if (out == nullptr) {
    EXPECT_EQ(0u, length);
  }
  delete[] out;
  return text;
}

std::string decode_with_buffer(const std::string& text) {
  unsigned char* out = reinterpret_cast<unsigned char*>(1);
  std::size_t length = 99;
  Base64::decode(out, length, text.data(), text.size());
  std::string data = out ? std::string(reinterpret_cast<char*>(out), length) : std::string();
  if (out == nullptr) {
    EXPECT_EQ(0u, length);
  }
  delete[] out;
  return data;
}

TEST(Base64Test, Rfc4648Vectors) {
  for (const Vector& row : kVectors) {
    EXPECT_EQ(row.text, Base64::encode(row.data)) << row.data;
    EXPECT_EQ(row.text, encode_with_buffer(row.data)) << row.data;
    EXPECT_EQ(row.data, Base64::decode(row.text)) << row.text;
    EXPECT_EQ(row.data, decode_with_buffer(row.text)) << row.text;
  }
}

TEST(Base64Test, EveryByteValueRoundTrips) {
  std::string data;
  for (int i = 0; i < 256; ++i) data += static_cast<char>(i);
  data += std::string(3, '\0');
  for (std::size_t cut = 0; cut < 4; ++cut) {
    std::string piece = data.substr(cut);
    std::string text = Base64::encode(piece);
    EXPECT_EQ((piece.size() + 2) / 3 * 4, text.size());
    EXPECT_EQ(piece, Base64::decode(text)) << cut;
    EXPECT_EQ(piece, decode_with_buffer(text)) << cut;
  }
  EXPECT_EQ(std::string("\0\0", 2), Base64::decode("AAA="));
}

TEST(Base64Test, DecodeDropsBytesOutsideTheAlphabet) {
  static const Vector rows[] = {
      {"foobar", "Zm9v\r\nYmFy\n"},
      {"foobar", " Zm9v YmFy "},
      {"fo", "Zm8=\xFF"},
      {"foob", "Zm9v-Yg==."},
  };
  for (const Vector& row : rows) {
    EXPECT_EQ(row.data, Base64::decode(row.text)) << row.text;
    EXPECT_EQ(row.data, decode_with_buffer(row.text)) << row.text;
  }
}

TEST(Base64Test, UndecodableTextsGiveEmptyResults) {
  static const char* const errors[] = {
      "",     "\r\n", "Zm9",  "Zm9vY", "Zm9 vY",    // filtered length not a multiple of 4
      "====", "Z===", "Zg=a", "Zm=v",  "Zg==Zg==",  // pads anywhere but at the end
  };
  for (const char* text : errors) {
    EXPECT_EQ("", Base64::decode(text)) << text;
    EXPECT_EQ("", decode_with_buffer(text)) << text;
  }
}

TEST(Base64Test, TenMegabyteTexts) {
  std::string data(10 << 20, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + (i >> 9));
  std::string text = Base64::encode(data);
  ASSERT_EQ(data.size() / 3 * 4 + 4, text.size());
  EXPECT_TRUE(Base64::decode(text) == data);
  EXPECT_EQ("", Base64::decode(std::string(10 << 20, '!')));
  EXPECT_EQ("", Base64::decode(std::string(10 << 20, '=')));
}

}  // namespace
}  // namespace utility
