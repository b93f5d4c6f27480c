#include "console/COrderedJson.h"

#include <cassert>
#include <cstdio>
#include <string>
#include <utility>

namespace console {

COrderedJson COrderedJson::from_bool(bool value) {
  COrderedJson json;
  json.kind_ = kBool;
  json.flag_ = value;
  return json;
}

COrderedJson COrderedJson::from_u64(std::uint64_t value) {
  COrderedJson json;
  json.kind_ = kNumber;
  json.string_ = std::to_string(value);
  return json;
}

COrderedJson COrderedJson::from_i64(std::int64_t value) {
  COrderedJson json;
  json.kind_ = kNumber;
  json.string_ = std::to_string(value);
  return json;
}

COrderedJson COrderedJson::from_string(const std::string& utf8) {
  COrderedJson json;
  json.kind_ = kString;
  json.string_ = utf8;
  return json;
}

COrderedJson COrderedJson::array() {
  COrderedJson json;
  json.kind_ = kArray;
  return json;
}

COrderedJson COrderedJson::object() {
  COrderedJson json;
  json.kind_ = kObject;
  return json;
}

COrderedJson& COrderedJson::append(COrderedJson element) {
  assert(kind_ == kArray);
  items_.push_back(std::move(element));
  return *this;
}

COrderedJson& COrderedJson::add(const std::string& key, COrderedJson value) {
  assert(kind_ == kObject);
  keys_.push_back(key);
  items_.push_back(std::move(value));
  return *this;
}

std::string COrderedJson::text() const {
  std::string out;
  write(out);
  return out;
}

void COrderedJson::write(std::string& out) const {
  switch (kind_) {
    case kNull:
      out += "null";
      return;
    case kBool:
      out += flag_ ? "true" : "false";
      return;
    case kNumber:
      out += string_;
      return;
    case kString:
      write_string(string_, out);
      return;
    case kArray:
    case kObject:
      break;
  }
  bool object = kind_ == kObject;
  out += object ? '{' : '[';
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i > 0) out += ',';
    if (object) {
      write_string(keys_[i], out);
      out += ':';
    }
    items_[i].write(out);
  }
  out += object ? '}' : ']';
}

void COrderedJson::write_string(const std::string& utf8, std::string& out) {
  out += '"';
  for (char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

}  // namespace console
