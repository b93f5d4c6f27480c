// Byte-string helpers: trimming, splitting, replacing, cutting marked spans
// and decimal number conversion.
//
// Every function is static, keeps no state and is safe to call from any
// thread. None of them fails: texts are edited in place, and a number that
// cannot be read gives 0. Each runs in time linear in the text (plus the
// output it produces), so texts of many megabytes are fine.
#ifndef UTILITY_CSTR_H_
#define UTILITY_CSTR_H_

#include <string>
#include <vector>

namespace utility {

class CStr {
 public:
  // Remove leading and/or trailing bytes of " \t\r\n". A text made only of
  // them becomes empty.
  static void trim(std::string& text);
  static void left_trim(std::string& text);
  static void right_trim(std::string& text);

  // Remove leading and/or trailing occurrences of `c`.
  static void trim_byte(char c, std::string& text);
  static void left_trim_byte(char c, std::string& text);
  static void right_trim_byte(char c, std::string& text);

  // Replaces every occurrence of `from` by `to`, left to right; the search
  // goes on after each inserted `to`, so `to` is never searched again. An
  // empty `from` leaves the text unchanged.
  static void string_replace(std::string& text, const std::string& from, const std::string& to);

  // Cuts the text just before the first occurrence of `mark` (an empty mark
  // empties it); no change when the mark is absent.
  static void trim_remark(const std::string& mark, std::string& text);

  // Repeats until nothing changes: find the first `open`, find `close` from
  // that same position, and drop everything from `open` to the end of
  // `close`. An unclosed span stays. With open == close each occurrence of
  // the mark goes on its own (this strips quotes). An empty `close` removes
  // nothing; an empty `open` matches at the start of the text.
  static void trim_remark(const std::string& open, const std::string& close, std::string& text);

  // Appends the words of `text` separated by blanks, tabs, line ends,
  // vertical tabs and form feeds to `out` (not cleared first).
  static void ext_line(std::vector<std::string>& out, const std::string& text);

  // Appends the pieces between separators to `out` (not cleared first):
  // "a,,b" gives "a", "", "b"; ",a" gives "", "a"; "a,b," gives "a", "b";
  // an empty text gives nothing. An empty separator does not split: a
  // non-empty text is appended whole.
  static void ext_line(const std::string& separator, std::vector<std::string>& out,
                       const std::string& text);

  // Decimal number at the start of the text: leading white space skipped,
  // an optional '+' or '-', then digits up to the first non-digit ("12ab"
  // gives 12). 0 when there is no number or it does not fit the type; for
  // atoull a negative number other than -0 does not fit.
  static long atol(const std::string& text);
  static long long atoll(const std::string& text);
  static unsigned long long atoull(const std::string& text);

  // Plain decimal text, with a leading '-' for negative values.
  static std::string lltoa(long long value);
  static std::string ulltoa(unsigned long long value);
};

}  // namespace utility

#endif  // UTILITY_CSTR_H_
