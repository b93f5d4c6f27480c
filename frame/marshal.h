// How the types of RPC arguments and results travel as rpc::IParams.
//
// Top-level types: bool, unsigned int, unsigned long long, std::string,
// records, and std::vector of records. A record is a plain struct whose
// fields are bool, unsigned int, unsigned long long or std::string* (a heap
// string the framework takes over when the record is packed), declared with
// RPC_RECORD right after the struct, in the struct's namespace:
//
//   struct IpScope { unsigned int start_ip; unsigned int end_ip; unsigned int time_out; };
//   RPC_RECORD(IpScope, start_ip, end_ip, time_out)
#ifndef FRAME_MARSHAL_H_
#define FRAME_MARSHAL_H_

#include <cstddef>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "frame/rpc.h"

namespace rpc {

// One field of a record as the marshalling code sees it.
struct FieldRef {
  const char* name;
  int code;   // TypeCode of the field
  void* ptr;  // bool*, unsigned int*, unsigned long long* or std::string**
};

const std::size_t kMaxRecordFields = 16;

template <class T>
struct FieldCode;
template <>
struct FieldCode<bool> : std::integral_constant<int, kTypeBool> {};
template <>
struct FieldCode<unsigned int> : std::integral_constant<int, kTypeUInt32> {};
template <>
struct FieldCode<unsigned long long> : std::integral_constant<int, kTypeUInt64> {};
template <>
struct FieldCode<std::string*> : std::integral_constant<int, kTypeString> {};

template <class T>
FieldRef field_ref(const char* name, T& member) {
  return FieldRef{name, FieldCode<T>::value, &member};
}

inline const char* field_type_name(int code) {
  switch (code) {
    case kTypeBool: return "bool";
    case kTypeUInt32: return "u32";
    case kTypeUInt64: return "u64";
    case kTypeString: return "string";
    default: return "?";
  }
}

// Detects types declared with RPC_RECORD (found by argument-dependent lookup).
template <class T, class = void>
struct is_record : std::false_type {};
template <class T>
struct is_record<T, decltype(void(rpc_record_name(static_cast<const T*>(nullptr))))>
    : std::true_type {};

template <class T>
struct is_record_vector : std::false_type {};
template <class T, class A>
struct is_record_vector<std::vector<T, A> > : is_record<T> {};

// The fields of `record`, declaration order, into `out`; returns the count.
template <class T>
std::size_t record_fields(T& record, FieldRef* out) {
  return rpc_record_fields(record, out);
}

// ---- signatures -----------------------------------------------------------

template <class T>
void append_signature(std::string& out) {
  if constexpr (std::is_same<T, bool>::value) {
    out += "bool";
  } else if constexpr (std::is_same<T, unsigned int>::value) {
    out += "u32";
  } else if constexpr (std::is_same<T, unsigned long long>::value) {
    out += "u64";
  } else if constexpr (std::is_same<T, std::string>::value) {
    out += "string";
  } else if constexpr (is_record<T>::value) {
    T sample{};
    FieldRef fields[kMaxRecordFields];
    std::size_t count = record_fields(sample, fields);
    out += rpc_record_name(static_cast<const T*>(nullptr));
    out += '{';
    for (std::size_t i = 0; i < count; ++i) {
      if (i > 0) out += ',';
      out += fields[i].name;
      out += ':';
      out += field_type_name(fields[i].code);
    }
    out += '}';
  } else {
    static_assert(is_record_vector<T>::value, "not a type that travels over RPC");
    out += '[';
    append_signature<typename T::value_type>(out);
    out += ']';
  }
}

// ---- unpacking (request side) ----------------------------------------------

// Reads one field from `value` into `field`. A string field receives the
// pointer the request owns. False when the value is missing or of another type.
inline bool unpack_field(IParams* value, const FieldRef& field) {
  if (value == nullptr || value->type() != field.code || value->value() == nullptr) return false;
  switch (field.code) {
    case kTypeBool:
      *static_cast<bool*>(field.ptr) = *static_cast<bool*>(value->value());
      return true;
    case kTypeUInt32:
      *static_cast<unsigned int*>(field.ptr) = *static_cast<unsigned int*>(value->value());
      return true;
    case kTypeUInt64:
      *static_cast<unsigned long long*>(field.ptr) =
          *static_cast<unsigned long long*>(value->value());
      return true;
    case kTypeString:
      *static_cast<std::string**>(field.ptr) = static_cast<std::string*>(value->value());
      return true;
  }
  return false;
}

// Pops a record's fields from its list, last field first.
template <class T>
bool unpack_record_list(IParams* list, T& record) {
  if (list == nullptr) return false;
  FieldRef fields[kMaxRecordFields];
  std::size_t count = record_fields(record, fields);
  for (std::size_t i = count; i-- > 0;) {
    if (!unpack_field(list->pop(), fields[i])) return false;
  }
  return true;
}

// Reads one argument value. False when it is missing or of another type.
template <class T>
bool unpack_value(IParams* value, T& out) {
  if (value == nullptr || value->value() == nullptr) return false;
  if constexpr (std::is_same<T, bool>::value || std::is_same<T, unsigned int>::value ||
                std::is_same<T, unsigned long long>::value) {
    if (value->type() != (std::is_same<T, bool>::value           ? kTypeBool
                          : std::is_same<T, unsigned int>::value ? kTypeUInt32
                                                                 : kTypeUInt64))
      return false;
    out = *static_cast<T*>(value->value());
    return true;
  } else if constexpr (std::is_same<T, std::string>::value) {
    if (value->type() != kTypeString) return false;
    out = *static_cast<std::string*>(value->value());
    return true;
  } else if constexpr (is_record<T>::value) {
    if (value->type() != kTypeRecord) return false;
    return unpack_record_list(static_cast<IParams*>(value->value()), out);
  } else {
    static_assert(is_record_vector<T>::value, "not a type that travels over RPC");
    if (value->type() != kTypeArray) return false;
    const std::vector<IParams*>& lists = *static_cast<std::vector<IParams*>*>(value->value());
    out.clear();
    out.reserve(lists.size());
    for (IParams* list : lists) {
      out.emplace_back();
      if (!unpack_record_list(list, out.back())) return false;
    }
    return true;
  }
}

// ---- packing (reply side) ----------------------------------------------------

// Why packing stopped: the failure code of the realization layer.
enum PackStatus { kPacked, kValueFailed, kListFailed };

// Appends a record's fields to `list`, declaration order. A string field is
// handed over with kAdopt and its pointer cleared once the framework holds it.
template <class T>
PackStatus pack_record_fields(IRpcFactory* factory, IParams* list, T& record) {
  FieldRef fields[kMaxRecordFields];
  std::size_t count = record_fields(record, fields);
  for (std::size_t i = 0; i < count; ++i) {
    IParams* value = nullptr;
    if (fields[i].code == kTypeString) {
      std::string** text = static_cast<std::string**>(fields[i].ptr);
      std::string empty;
      value = factory->create_value(kTypeString, *text ? static_cast<const void*>(*text) : &empty,
                                    *text ? kAdopt : kCopy);
      if (value != nullptr) *text = nullptr;
    } else {
      value = factory->create_value(fields[i].code, fields[i].ptr, kCopy);
    }
    if (value == nullptr || !list->append(value)) return kValueFailed;
  }
  return kPacked;
}

template <class T>
PackStatus pack_value(IRpcFactory* factory, IParams* results, T& value) {
  if constexpr (std::is_same<T, bool>::value) {
    IParams* v = factory->create_value(kTypeBool, &value, kCopy);
    return v != nullptr && results->append(v) ? kPacked : kValueFailed;
  } else if constexpr (std::is_same<T, unsigned int>::value) {
    IParams* v = factory->create_value(kTypeUInt32, &value, kCopy);
    return v != nullptr && results->append(v) ? kPacked : kValueFailed;
  } else if constexpr (std::is_same<T, unsigned long long>::value) {
    IParams* v = factory->create_value(kTypeUInt64, &value, kCopy);
    return v != nullptr && results->append(v) ? kPacked : kValueFailed;
  } else if constexpr (std::is_same<T, std::string>::value) {
    IParams* v = factory->create_value(kTypeString, &value, kCopy);
    return v != nullptr && results->append(v) ? kPacked : kValueFailed;
  } else if constexpr (is_record<T>::value) {
    IParams* list = factory->create_list();
    if (list == nullptr) return kListFailed;
    PackStatus status = pack_record_fields(factory, list, value);
    if (status != kPacked) {
      list->release();
      return status;
    }
    IParams* record = factory->create_value(kTypeRecord, list, kCopy);
    if (record == nullptr) {
      list->release();
      return kValueFailed;
    }
    return results->append(record) ? kPacked : kValueFailed;
  } else {
    static_assert(is_record_vector<T>::value, "not a type that travels over RPC");
    std::vector<IParams*> lists;
    lists.reserve(value.size());
    PackStatus status = kPacked;
    for (auto& element : value) {
      IParams* list = factory->create_list();
      if (list == nullptr) {
        status = kListFailed;
        break;
      }
      lists.push_back(list);
      status = pack_record_fields(factory, list, element);
      if (status != kPacked) break;
    }
    IParams* array = nullptr;
    if (status == kPacked) {
      array = factory->create_value(kTypeArray, &lists, kCopy);
      if (array == nullptr) status = kValueFailed;
    }
    if (status != kPacked) {
      for (IParams* list : lists) list->release();
      return status;
    }
    return results->append(array) ? kPacked : kValueFailed;
  }
}

// Frees the heap strings still held by record outputs and empties vector
// outputs. Strings already handed to the framework were cleared when packed.
template <class T>
void discard_output(T& value) {
  if constexpr (is_record<T>::value) {
    FieldRef fields[kMaxRecordFields];
    std::size_t count = record_fields(value, fields);
    for (std::size_t i = 0; i < count; ++i) {
      if (fields[i].code != kTypeString) continue;
      std::string** text = static_cast<std::string**>(fields[i].ptr);
      delete *text;
      *text = nullptr;
    }
  } else if constexpr (is_record_vector<T>::value) {
    for (auto& element : value) discard_output(element);
    value.clear();
  }
}

}  // namespace rpc

// ---- RPC_RECORD --------------------------------------------------------------

#define RPC_PP_CAT_(a, b) a##b
#define RPC_PP_CAT(a, b) RPC_PP_CAT_(a, b)
#define RPC_PP_COUNT_(_1, _2, _3, _4, _5, _6, _7, _8, _9, _10, _11, _12, _13, _14, _15, _16, N, \
                      ...)                                                                      \
  N
#define RPC_PP_COUNT(...) \
  RPC_PP_COUNT_(__VA_ARGS__, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define RPC_FR_(f) ::rpc::field_ref(#f, record.f)
#define RPC_FR1(a) RPC_FR_(a)
#define RPC_FR2(a, ...) RPC_FR_(a), RPC_FR1(__VA_ARGS__)
#define RPC_FR3(a, ...) RPC_FR_(a), RPC_FR2(__VA_ARGS__)
#define RPC_FR4(a, ...) RPC_FR_(a), RPC_FR3(__VA_ARGS__)
#define RPC_FR5(a, ...) RPC_FR_(a), RPC_FR4(__VA_ARGS__)
#define RPC_FR6(a, ...) RPC_FR_(a), RPC_FR5(__VA_ARGS__)
#define RPC_FR7(a, ...) RPC_FR_(a), RPC_FR6(__VA_ARGS__)
#define RPC_FR8(a, ...) RPC_FR_(a), RPC_FR7(__VA_ARGS__)
#define RPC_FR9(a, ...) RPC_FR_(a), RPC_FR8(__VA_ARGS__)
#define RPC_FR10(a, ...) RPC_FR_(a), RPC_FR9(__VA_ARGS__)
#define RPC_FR11(a, ...) RPC_FR_(a), RPC_FR10(__VA_ARGS__)
#define RPC_FR12(a, ...) RPC_FR_(a), RPC_FR11(__VA_ARGS__)
#define RPC_FR13(a, ...) RPC_FR_(a), RPC_FR12(__VA_ARGS__)
#define RPC_FR14(a, ...) RPC_FR_(a), RPC_FR13(__VA_ARGS__)
#define RPC_FR15(a, ...) RPC_FR_(a), RPC_FR14(__VA_ARGS__)
#define RPC_FR16(a, ...) RPC_FR_(a), RPC_FR15(__VA_ARGS__)

// Declares the fields of a record type, in packing order. Use at namespace
// scope in the namespace of `Type`.
#define RPC_RECORD(Type, ...)                                                        \
  inline const char* rpc_record_name(const Type*) { return #Type; }                  \
  inline std::size_t rpc_record_fields(Type& record, ::rpc::FieldRef* out) {         \
    const ::rpc::FieldRef fields[] = {RPC_PP_CAT(RPC_FR, RPC_PP_COUNT(__VA_ARGS__))( \
        __VA_ARGS__)};                                                               \
    const std::size_t count = sizeof fields / sizeof fields[0];                      \
    for (std::size_t i = 0; i < count; ++i) out[i] = fields[i];                      \
    return count;                                                                    \
  }

#endif  // FRAME_MARSHAL_H_
