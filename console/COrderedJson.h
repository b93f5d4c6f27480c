// A JSON value for output whose object members keep the order they were
// added in, so records print with their fields in declaration order.
// Numbers are 64-bit integers, signed or unsigned, written exactly; that is
// all the agent's results and log records carry.
//
// A plain value type: copies are deep. Not thread-safe.
#ifndef CONSOLE_CORDEREDJSON_H_
#define CONSOLE_CORDEREDJSON_H_

#include <cstdint>
#include <string>
#include <vector>

namespace console {

class COrderedJson {
 public:
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject };

  COrderedJson() = default;  // null
  static COrderedJson from_bool(bool value);
  static COrderedJson from_u64(std::uint64_t value);
  static COrderedJson from_i64(std::int64_t value);
  // `utf8` is written byte for byte, except that the quote, the backslash
  // and control characters are escaped; it must already be valid UTF-8.
  static COrderedJson from_string(const std::string& utf8);
  static COrderedJson array();
  static COrderedJson object();

  Kind kind() const { return kind_; }

  // Adds an element at the end of an array. Only for kArray values.
  COrderedJson& append(COrderedJson element);
  // Adds a member after those already there. Only for kObject values; the
  // caller keeps the keys distinct.
  COrderedJson& add(const std::string& key, COrderedJson value);

  // Compact JSON text on one line, members in the order they were added.
  std::string text() const;

 private:
  void write(std::string& out) const;
  static void write_string(const std::string& utf8, std::string& out);

  Kind kind_ = kNull;
  bool flag_ = false;
  std::string string_;  // strings: the text; numbers: their decimal digits
  // Arrays: the elements. Objects: the member values, keyed by `keys_`.
  std::vector<COrderedJson> items_;
  std::vector<std::string> keys_;
};

}  // namespace console

#endif  // CONSOLE_CORDEREDJSON_H_
