// The one exception type of the SQLite wrapper. It carries a result code
// and a message built once at construction as "<code name>[<code>]: <detail>",
// where the code name is the SQLite name of the codes 0 to 25, 100 and 101,
// "CPPSQLITE_ERROR" for the wrapper's own code 1000 and "UNKNOWN_ERROR" for
// any other code. Catch it by reference.
#ifndef UTILITY_CPPSQLITE3EXCEPTION_H_
#define UTILITY_CPPSQLITE3EXCEPTION_H_

#include <exception>
#include <string>

// Code of the failures found by the wrapper itself rather than by SQLite.
constexpr int CPPSQLITE_ERROR = 1000;

class CppSQLite3Exception : public std::exception {
 public:
  // A null `detail` stands for the empty text.
  CppSQLite3Exception(int code, const char* detail);

  int errorCode() const { return code_; }
  const char* errorMessage() const { return message_.c_str(); }
  const char* what() const noexcept override { return message_.c_str(); }

  // The name that starts the message of `code`.
  static const char* errorCodeAsString(int code);

 private:
  int code_;
  std::string message_;
};

#endif  // UTILITY_CPPSQLITE3EXCEPTION_H_
