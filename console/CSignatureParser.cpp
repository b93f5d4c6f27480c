#include "console/CSignatureParser.h"

#include <algorithm>
#include <cctype>

namespace console {

// Walks the text; remembers the first error.
class CSignatureParser::Cursor {
 public:
  explicit Cursor(const std::string& text) : text_(text) {}

  void skip_blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool at_end() {
    skip_blanks();
    return pos_ >= text_.size();
  }
  bool peek(char c) {
    skip_blanks();
    return pos_ < text_.size() && text_[pos_] == c;
  }
  bool accept(const char* token) {
    skip_blanks();
    std::string t(token);
    if (text_.compare(pos_, t.size(), t) != 0) return false;
    pos_ += t.size();
    return true;
  }
  bool expect(const char* token) { return accept(token) || fail(std::string("'") + token + "'"); }
  bool identifier(std::string& out) {
    skip_blanks();
    std::size_t start = pos_;
    auto word_char = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    if (pos_ < text_.size() && !std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
      while (pos_ < text_.size() && word_char(text_[pos_])) ++pos_;
    }
    out = text_.substr(start, pos_ - start);
    return !out.empty() || fail("a name");
  }
  bool fail(const std::string& expected) {
    if (error_.empty()) {
      skip_blanks();
      error_ = "expected " + expected + " at offset " + std::to_string(pos_);
    }
    return false;
  }
  const std::string& error() const { return error_; }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
  std::string error_;
};

bool CSignatureParser::parse(const std::string& text, Signature& out, std::string& error) {
  Cursor cursor(text);
  out = Signature();
  bool ok = parse_list(cursor, out.inputs) && cursor.expect("->") &&
            parse_list(cursor, out.outputs) && (cursor.at_end() || cursor.fail("end of text"));
  if (!ok) error = "bad signature \"" + text + "\": " + cursor.error();
  return ok;
}

bool CSignatureParser::parse_list(Cursor& cursor, std::vector<TypeNode>& out) {
  if (!cursor.expect("(")) return false;
  if (cursor.accept(")")) return true;
  do {
    out.emplace_back();
    if (!parse_type(cursor, out.back(), 0)) return false;
  } while (cursor.accept(","));
  return cursor.expect(")");
}

bool CSignatureParser::parse_type(Cursor& cursor, TypeNode& out, std::size_t depth) {
  if (cursor.peek('[')) {
    if (depth >= kMaxDepth) return cursor.fail("less nesting");
    cursor.accept("[");
    out.kind = TypeNode::kArray;
    out.children.resize(1);
    return parse_type(cursor, out.children[0], depth + 1) && cursor.expect("]");
  }
  std::string word;
  if (!cursor.identifier(word)) return false;
  static const struct {
    const char* name;
    TypeNode::Kind kind;
  } kScalars[] = {{"bool", TypeNode::kBool},
                  {"u32", TypeNode::kU32},
                  {"u64", TypeNode::kU64},
                  {"string", TypeNode::kString}};
  if (!cursor.peek('{')) {
    for (const auto& scalar : kScalars) {
      if (word == scalar.name) {
        out.kind = scalar.kind;
        return true;
      }
    }
    return cursor.fail("a type (bool, u32, u64, string, Name{...} or [...]) instead of \"" +
                       word + "\"");
  }
  if (depth >= kMaxDepth) return cursor.fail("less nesting");
  out.kind = TypeNode::kRecord;
  out.name = word;
  return parse_record(cursor, out, depth + 1);
}

bool CSignatureParser::parse_record(Cursor& cursor, TypeNode& out, std::size_t depth) {
  cursor.accept("{");
  do {
    std::string field;
    if (!cursor.identifier(field)) return false;
    if (std::find(out.field_names.begin(), out.field_names.end(), field) !=
        out.field_names.end()) {
      return cursor.fail("a field name other than \"" + field + "\" (already used)");
    }
    out.field_names.push_back(field);
    out.children.emplace_back();
    if (!cursor.expect(":") || !parse_type(cursor, out.children.back(), depth)) return false;
  } while (cursor.accept(","));
  return cursor.expect("}");
}

}  // namespace console
