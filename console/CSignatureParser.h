// Reads a method signature as the agent's directory publishes it:
//   "(" [type {"," type}] ")->(" [type {"," type}] ")"
//   type := bool | u32 | u64 | string | Name{field:type,...} | [type]
// Names are C identifiers; blanks between tokens are allowed. Records need
// at least one field and distinct field names. Records and arrays nest at
// most kMaxDepth deep.
//
// Stateless; safe to use from several threads.
#ifndef CONSOLE_CSIGNATUREPARSER_H_
#define CONSOLE_CSIGNATUREPARSER_H_

#include <cstddef>
#include <string>

#include "console/TypeNode.h"

namespace console {

class CSignatureParser {
 public:
  static const std::size_t kMaxDepth = 8;

  // Fills `out` and returns true, or returns false with `error` naming the
  // offset and what was expected there; `out` is then unspecified.
  static bool parse(const std::string& text, Signature& out, std::string& error);

 private:
  class Cursor;
  static bool parse_list(Cursor& cursor, std::vector<TypeNode>& out);
  static bool parse_type(Cursor& cursor, TypeNode& out, std::size_t depth);
  static bool parse_record(Cursor& cursor, TypeNode& out, std::size_t depth);
};

}  // namespace console

#endif  // CONSOLE_CSIGNATUREPARSER_H_
