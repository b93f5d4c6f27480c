#include "console/TypeNode.h"

namespace console {

std::string TypeNode::describe() const {
  switch (kind) {
    case kBool:
      return "bool";
    case kU32:
      return "u32";
    case kU64:
      return "u64";
    case kString:
      return "string";
    case kArray:
      return "[" + (children.empty() ? std::string() : children[0].describe()) + "]";
    case kRecord:
      break;
  }
  std::string text = name + "{";
  for (std::size_t i = 0; i < children.size(); ++i) {
    if (i > 0) text += ",";
    text += field_names[i] + ":" + children[i].describe();
  }
  return text + "}";
}

}  // namespace console
