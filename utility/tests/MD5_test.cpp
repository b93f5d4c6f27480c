#include "utility/MD5.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support/TempDir.h"
#include "utility/md5wrapper.h"

namespace utility {
namespace {

const char kEmptyDigest[] = "d41d8cd98f00b204e9800998ecf8427e";

// RFC 1321, appendix A.5.
const struct {
  const char* text;
  const char* digest;
} kSuite[] = {
    {"", kEmptyDigest},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"1234567890123456789012345678901234567890"
     "1234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(MD5Test, Rfc1321Suite) {
  md5wrapper md5;
  for (const auto& row : kSuite) EXPECT_EQ(row.digest, md5.getHashFromString(row.text)) << row.text;
  EXPECT_EQ("7707d6ae4e027c70eea2a935c2296f21", md5.getHashFromString(std::string(1000000, 'a')));
  EXPECT_EQ("93b885adfe0da089cdf634904fd59f71", md5.getHashFromString(std::string(1, '\0')));
}

TEST(MD5Test, PiecewiseUpdatesGiveTheOneShotDigest) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += static_cast<char>(i * 7);
  md5wrapper wrapper;
  const std::string whole = wrapper.getHashFromString(text);
  MD5 md5;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t step : {1, 3, 55, 56, 63, 64, 65, 127, 128, 200}) {
    MD5_CTX context;
    md5.MD5Init(&context);
    for (std::size_t at = 0; at < text.size(); at += step) {
      md5.MD5Update(&context, bytes + at, std::min(step, text.size() - at));
    }
    unsigned char digest[16];
    md5.MD5Final(digest, &context);
    EXPECT_EQ(whole, wrapper.convToString(digest)) << "step " << step;
    EXPECT_EQ(0u, context.count[0] | context.state[0]);  // the context is wiped
  }
}

TEST(MD5Test, FileDigests) {
  test_support::TempDir dir;
  std::string content(3 * (1 << 20) + 77, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i ^ (i >> 11));
  dir.write("big.bin", content);
  dir.write("empty", "");
  dir.make_dirs("folder");

  md5wrapper md5;
  EXPECT_EQ(md5.getHashFromString(content), md5.getHashFromFile(dir.file("big.bin")));
  EXPECT_EQ(kEmptyDigest, md5.getHashFromFile(dir.file("empty")));
  EXPECT_EQ("-1", md5.getHashFromFile(dir.file("missing")));
  EXPECT_EQ("-1", md5.getHashFromFile(dir.file("folder")));  // opens, but cannot be read
}

}  // namespace
}  // namespace utility
