// MD5 digests of texts and files as 32 lower-case hex digits.
//
// Owns one MD5 object for its lifetime. Every call keeps its digest state on
// its own stack, so one wrapper may serve several threads.
#ifndef UTILITY_MD5WRAPPER_H_
#define UTILITY_MD5WRAPPER_H_

#include <string>

namespace utility {

class MD5;

class md5wrapper {
 public:
  md5wrapper();
  ~md5wrapper();
  md5wrapper(const md5wrapper&) = delete;
  md5wrapper& operator=(const md5wrapper&) = delete;

  // The digest of `text` (zero bytes included) in hex.
  std::string getHashFromString(std::string text);

  // The digest of the file's content in hex, read in 1 MiB chunks. "-1"
  // when the file cannot be opened or a read fails (a directory, an I/O
  // error): a failure never passes for the digest of a shorter content.
  std::string getHashFromFile(std::string filename);

  // The 16-byte digest of `text`, as raw bytes.
  std::string hashit(const std::string& text);

  // The 16 bytes at `digest` as 32 lower-case hex digits.
  std::string convToString(const unsigned char* digest);

 private:
  MD5* md5_;
};

}  // namespace utility

#endif  // UTILITY_MD5WRAPPER_H_
