#include "console/CJsonParams.h"

#include <utility>
#include <vector>

#include "utility/CGbkConverter.h"

namespace console {

namespace {

// The JSON text of a value, cut short for messages.
std::string shown(const Json::Value& json) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  std::string text = Json::writeString(builder, json);
  if (text.size() > 40) text = text.substr(0, 37) + "...";
  return text;
}

bool fail(const std::string& where, const std::string& what, std::string& error) {
  error = where + ": " + what;
  return false;
}

bool is_integer(const Json::Value& json) {
  return json.type() == Json::intValue || json.type() == Json::uintValue;
}

std::string expected_scalar(TypeNode::Kind kind) {
  switch (kind) {
    case TypeNode::kBool:
      return "true or false (bool)";
    case TypeNode::kU32:
      return "an integer from 0 to 4294967295 (u32)";
    case TypeNode::kU64:
      return "an integer from 0 to 18446744073709551615 (u64)";
    default:
      return "a string";
  }
}

// Releases lists that a failed call did not take over.
void release_all(std::vector<rpc::IParams*>& lists) {
  for (rpc::IParams* list : lists) list->release();
  lists.clear();
}

}  // namespace

bool CJsonParams::append(const TypeNode& type, const Json::Value& json, rpc::IParams& list,
                         const std::string& where, std::string& error) {
  rpc::IParams* value = make_value(type, json, where, error);
  if (value == nullptr) return false;
  return list.append(value) || fail(where, "could not be added to the request", error);
}

rpc::IParams* CJsonParams::make_value(const TypeNode& type, const Json::Value& json,
                                      const std::string& where, std::string& error) {
  switch (type.kind) {
    case TypeNode::kRecord:
      return make_record(type, json, where, error);
    case TypeNode::kArray:
      return make_array(type, json, where, error);
    default:
      return make_scalar(type, json, where, error);
  }
}

rpc::IParams* CJsonParams::make_scalar(const TypeNode& type, const Json::Value& json,
                                       const std::string& where, std::string& error) {
  bool fits = false;
  rpc::IParams* value = nullptr;
  if (type.kind == TypeNode::kBool) {
    fits = json.isBool();
    bool flag = fits && json.asBool();
    if (fits) value = factory_.create_value(rpc::kTypeBool, &flag, rpc::kCopy);
  } else if (type.kind == TypeNode::kU32) {
    fits = is_integer(json) && json.isUInt();
    unsigned int number = fits ? json.asUInt() : 0;
    if (fits) value = factory_.create_value(rpc::kTypeUInt32, &number, rpc::kCopy);
  } else if (type.kind == TypeNode::kU64) {
    fits = is_integer(json) && json.isUInt64();
    unsigned long long number = fits ? json.asUInt64() : 0;
    if (fits) value = factory_.create_value(rpc::kTypeUInt64, &number, rpc::kCopy);
  } else {
    fits = json.isString();
    std::string gbk;
    if (fits && !utility::CGbkConverter::to_gbk(json.asString(), gbk)) {
      fail(where, "text is not valid UTF-8 or has characters that GBK cannot hold", error);
      return nullptr;
    }
    if (fits) value = factory_.create_value(rpc::kTypeString, &gbk, rpc::kCopy);
  }
  if (!fits) {
    fail(where, "expects " + expected_scalar(type.kind) + ", got " + shown(json), error);
  } else if (value == nullptr) {
    fail(where, "could not make a value", error);
  }
  return value;
}

bool CJsonParams::fill_record(const TypeNode& type, const Json::Value& json, rpc::IParams& list,
                              const std::string& where, std::string& error) {
  if (!json.isObject()) {
    return fail(where, "expects an object " + type.describe() + ", got " + shown(json), error);
  }
  for (const std::string& member : json.getMemberNames()) {
    bool known = false;
    for (const std::string& field : type.field_names) known = known || field == member;
    if (!known) return fail(where, "unknown field \"" + member + "\" in " + type.name, error);
  }
  for (std::size_t i = 0; i < type.children.size(); ++i) {
    const std::string& field = type.field_names[i];
    if (!json.isMember(field)) {
      return fail(where, "missing field \"" + field + "\" of " + type.name, error);
    }
    if (!append(type.children[i], json[field], list, where + ": field \"" + field + "\"", error)) {
      return false;
    }
  }
  return true;
}

rpc::IParams* CJsonParams::make_record(const TypeNode& type, const Json::Value& json,
                                       const std::string& where, std::string& error) {
  rpc::IParams* fields = factory_.create_list();
  if (fields == nullptr) {
    fail(where, "could not make a list", error);
    return nullptr;
  }
  if (!fill_record(type, json, *fields, where, error)) {
    fields->release();
    return nullptr;
  }
  rpc::IParams* record = factory_.create_value(rpc::kTypeRecord, fields, rpc::kCopy);
  if (record == nullptr) {
    fields->release();
    fail(where, "could not make a record", error);
  }
  return record;
}

rpc::IParams* CJsonParams::make_array(const TypeNode& type, const Json::Value& json,
                                      const std::string& where, std::string& error) {
  if (!json.isArray()) {
    fail(where, "expects an array " + type.describe() + ", got " + shown(json), error);
    return nullptr;
  }
  const TypeNode& element_type = type.children[0];
  std::vector<rpc::IParams*> elements;
  for (Json::ArrayIndex i = 0; i < json.size(); ++i) {
    std::string element_where = where + ": element " + std::to_string(i);
    rpc::IParams* element = factory_.create_list();
    if (element == nullptr) {
      release_all(elements);
      fail(element_where, "could not make a list", error);
      return nullptr;
    }
    elements.push_back(element);
    bool ok = element_type.kind == TypeNode::kRecord
                  ? fill_record(element_type, json[i], *element, element_where, error)
                  : append(element_type, json[i], *element, element_where, error);
    if (!ok) {
      release_all(elements);
      return nullptr;
    }
  }
  rpc::IParams* array = factory_.create_value(rpc::kTypeArray, &elements, rpc::kCopy);
  if (array == nullptr) {
    release_all(elements);
    fail(where, "could not make an array", error);
  }
  return array;
}

COrderedJson CJsonParams::results_to_json(const std::vector<TypeNode>& types,
                                          const rpc::IParams& results) {
  COrderedJson out = COrderedJson::array();
  for (std::size_t i = 0; i < results.count(); ++i) {
    rpc::IParams* value = results.at(i);
    const TypeNode* type = i < types.size() ? &types[i] : nullptr;
    out.append(value == nullptr ? COrderedJson() : value_to_json(type, *value));
  }
  return out;
}

COrderedJson CJsonParams::value_to_json(const TypeNode* type, rpc::IParams& value) {
  void* raw = value.value();
  if (raw == nullptr) return COrderedJson();
  switch (value.type()) {
    case rpc::kTypeBool:
      return COrderedJson::from_bool(*static_cast<bool*>(raw));
    case rpc::kTypeUInt32:
      return COrderedJson::from_u64(*static_cast<unsigned int*>(raw));
    case rpc::kTypeUInt64:
      return COrderedJson::from_u64(*static_cast<unsigned long long*>(raw));
    case rpc::kTypeString:
      return COrderedJson::from_string(utility::CGbkConverter::to_utf8(*static_cast<std::string*>(raw)));
    case rpc::kTypeRecord:
      return list_to_json(type != nullptr && type->kind == TypeNode::kRecord ? type : nullptr,
                          *static_cast<rpc::IParams*>(raw));
    case rpc::kTypeArray:
      break;
    default:
      return COrderedJson();
  }
  const TypeNode* element_type =
      type != nullptr && type->kind == TypeNode::kArray ? &type->children[0] : nullptr;
  COrderedJson out = COrderedJson::array();
  for (rpc::IParams* element : *static_cast<std::vector<rpc::IParams*>*>(raw)) {
    out.append(element == nullptr ? COrderedJson() : element_to_json(element_type, *element));
  }
  return out;
}

COrderedJson CJsonParams::element_to_json(const TypeNode* type, const rpc::IParams& element) {
  if (type != nullptr && type->kind == TypeNode::kRecord) return list_to_json(type, element);
  if (type != nullptr && element.count() == 1 && element.at(0) != nullptr) {
    return value_to_json(type, *element.at(0));
  }
  return list_to_json(nullptr, element);
}

COrderedJson CJsonParams::list_to_json(const TypeNode* type, const rpc::IParams& list) {
  bool named = type != nullptr && type->kind == TypeNode::kRecord &&
               type->children.size() == list.count();
  COrderedJson out = named ? COrderedJson::object() : COrderedJson::array();
  for (std::size_t i = 0; i < list.count(); ++i) {
    rpc::IParams* field = list.at(i);
    COrderedJson json = field == nullptr
                            ? COrderedJson()
                            : value_to_json(named ? &type->children[i] : nullptr, *field);
    if (named) {
      out.add(type->field_names[i], std::move(json));
    } else {
      out.append(std::move(json));
    }
  }
  return out;
}

}  // namespace console
