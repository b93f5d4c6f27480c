// The types a method signature names, as a small tree: scalars, records
// with named fields, and arrays of one element type.
#ifndef CONSOLE_TYPENODE_H_
#define CONSOLE_TYPENODE_H_

#include <string>
#include <vector>

namespace console {

struct TypeNode {
  enum Kind { kBool, kU32, kU64, kString, kRecord, kArray };

  Kind kind = kBool;
  // Records: the record's name, and one name per entry of `children`.
  std::string name;
  std::vector<std::string> field_names;
  // Records: the field types in order. Arrays: exactly one, the element type.
  std::vector<TypeNode> children;

  // The type written back in signature notation, e.g. "[Rec{id:u32}]".
  std::string describe() const;
};

// A method's inputs and outputs in order.
struct Signature {
  std::vector<TypeNode> inputs;
  std::vector<TypeNode> outputs;
};

}  // namespace console

#endif  // CONSOLE_TYPENODE_H_
