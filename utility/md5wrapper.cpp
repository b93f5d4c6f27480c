#include "utility/md5wrapper.h"

#include <cstdio>
#include <memory>

#include "utility/MD5.h"

namespace utility {

namespace {

const std::size_t kFileChunk = 1 << 20;
const char kNoDigest[] = "-1";

// Closes the FILE when the scope ends.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

md5wrapper::md5wrapper() : md5_(new MD5) {}

md5wrapper::~md5wrapper() { delete md5_; }

std::string md5wrapper::getHashFromString(std::string text) {
  std::string digest = hashit(text);
  return convToString(reinterpret_cast<const unsigned char*>(digest.data()));
}

std::string md5wrapper::getHashFromFile(std::string filename) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(filename.c_str(), "rb"));
  if (!file) return kNoDigest;
  std::setvbuf(file.get(), nullptr, _IONBF, 0);  // chunks go straight to our buffer
  std::unique_ptr<unsigned char[]> chunk(new unsigned char[kFileChunk]);
  MD5_CTX context;
  md5_->MD5Init(&context);
  std::size_t got;
  while ((got = std::fread(chunk.get(), 1, kFileChunk, file.get())) > 0) {
    md5_->MD5Update(&context, chunk.get(), got);
  }
  if (std::ferror(file.get())) return kNoDigest;
  unsigned char digest[16];
  md5_->MD5Final(digest, &context);
  return convToString(digest);
}

std::string md5wrapper::hashit(const std::string& text) {
  MD5_CTX context;
  md5_->MD5Init(&context);
  md5_->MD5Update(&context, reinterpret_cast<const unsigned char*>(text.data()), text.size());
  unsigned char digest[16];
  md5_->MD5Final(digest, &context);
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

std::string md5wrapper::convToString(const unsigned char* digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex(32, '0');
  for (int i = 0; i < 16; ++i) {
    hex[2 * i] = kDigits[digest[i] >> 4];
    hex[2 * i + 1] = kDigits[digest[i] & 0x0F];
  }
  return hex;
}

}  // namespace utility
