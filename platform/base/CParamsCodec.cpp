#include "platform/base/CParamsCodec.h"

#include <memory>
#include <string>
#include <vector>

namespace rpc {

namespace {

const std::size_t kMinValueBytes = 2;  // a type byte and a bool
const std::size_t kMinListBytes = 4;   // an empty list's count
const std::uint64_t kMaxU32 = 0xFFFFFFFFu;

struct Releaser {
  void operator()(IParams* params) const { params->release(); }
};
typedef std::unique_ptr<IParams, Releaser> Holder;

// Releases the collected element lists unless they were handed on.
struct ElementsHolder {
  std::vector<IParams*> lists;
  ~ElementsHolder() {
    for (IParams* list : lists) list->release();
  }
};

bool add_list_size(IParams* list, int depth, std::size_t& total);

bool add_value_size(IParams* item, int depth, std::size_t& total) {
  if (item == nullptr) return false;
  total += 1;
  switch (item->type()) {
    case kTypeBool:
      total += 1;
      return true;
    case kTypeUInt32:
      total += 4;
      return true;
    case kTypeUInt64:
      total += 8;
      return true;
    case kTypeString: {
      const std::string* text = static_cast<const std::string*>(item->value());
      if (text == nullptr || text->size() > kMaxU32) return false;
      total += 4 + text->size();
      return true;
    }
    case kTypeRecord:
      if (depth + 1 > CParamsCodec::kMaxDepth) return false;
      return add_list_size(static_cast<IParams*>(item->value()), depth + 1, total);
    case kTypeArray: {
      if (depth + 1 > CParamsCodec::kMaxDepth) return false;
      const std::vector<IParams*>* elements =
          static_cast<const std::vector<IParams*>*>(item->value());
      if (elements == nullptr || elements->size() > kMaxU32) return false;
      total += 4;
      for (IParams* element : *elements) {
        if (!add_list_size(element, depth + 1, total)) return false;
      }
      return true;
    }
    default:
      return false;
  }
}

bool add_list_size(IParams* list, int depth, std::size_t& total) {
  if (list == nullptr || list->type() != 0) return false;
  std::size_t count = list->count();
  if (count > kMaxU32) return false;
  total += 4;
  for (std::size_t i = 0; i < count; ++i) {
    if (!add_value_size(list->at(i), depth, total)) return false;
  }
  return true;
}

unsigned char* write_u64(unsigned char* out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
  return out + 8;
}

unsigned char* write_value(IParams* item, unsigned char* out) {
  int type = item->type();
  *out++ = static_cast<unsigned char>(type);
  void* value = item->value();
  switch (type) {
    case kTypeBool:
      *out++ = *static_cast<const bool*>(value) ? 1 : 0;
      return out;
    case kTypeUInt32:
      return CParamsCodec::write_u32(out, *static_cast<const unsigned int*>(value));
    case kTypeUInt64:
      return write_u64(out, *static_cast<const unsigned long long*>(value));
    case kTypeString: {
      const std::string& text = *static_cast<const std::string*>(value);
      out = CParamsCodec::write_u32(out, static_cast<std::uint32_t>(text.size()));
      text.copy(reinterpret_cast<char*>(out), text.size());
      return out + text.size();
    }
    case kTypeRecord:
      return CParamsCodec::write_list(static_cast<IParams*>(value), out);
    default: {  // kTypeArray; list_size() refused every other code
      const std::vector<IParams*>& elements = *static_cast<const std::vector<IParams*>*>(value);
      out = CParamsCodec::write_u32(out, static_cast<std::uint32_t>(elements.size()));
      for (IParams* element : elements) out = CParamsCodec::write_list(element, out);
      return out;
    }
  }
}

CParams* read_list_at(CByteReader& reader, int depth);

// Null on malformed input; throws std::bad_alloc when memory runs out.
IParams* read_value(CByteReader& reader, int depth) {
  unsigned type = 0;
  if (!reader.read_u8(type)) return nullptr;
  switch (type) {
    case kTypeBool: {
      unsigned byte = 0;
      if (!reader.read_u8(byte) || byte > 1) return nullptr;
      bool flag = byte == 1;
      return CParams::make_value(kTypeBool, &flag, kCopy);
    }
    case kTypeUInt32: {
      std::uint32_t number = 0;
      if (!reader.read_u32(number)) return nullptr;
      unsigned int value = number;
      return CParams::make_value(kTypeUInt32, &value, kCopy);
    }
    case kTypeUInt64: {
      std::uint64_t number = 0;
      if (!reader.read_u64(number)) return nullptr;
      unsigned long long value = number;
      return CParams::make_value(kTypeUInt64, &value, kCopy);
    }
    case kTypeString: {
      std::uint32_t length = 0;
      const unsigned char* bytes = nullptr;
      if (!reader.read_u32(length) || !reader.read_bytes(length, bytes)) return nullptr;
      std::unique_ptr<std::string> text(
          new std::string(reinterpret_cast<const char*>(bytes), length));
      IParams* made = CParams::make_value(kTypeString, text.get(), kAdopt);
      if (made != nullptr) text.release();
      return made;
    }
    case kTypeRecord: {
      if (depth + 1 > CParamsCodec::kMaxDepth) return nullptr;
      Holder fields(read_list_at(reader, depth + 1));
      if (!fields) return nullptr;
      IParams* made = CParams::make_value(kTypeRecord, fields.get(), kCopy);
      if (made != nullptr) fields.release();
      return made;
    }
    case kTypeArray: {
      if (depth + 1 > CParamsCodec::kMaxDepth) return nullptr;
      std::uint32_t count = 0;
      if (!reader.read_u32(count) || count > reader.left() / kMinListBytes) return nullptr;
      ElementsHolder elements;
      elements.lists.reserve(count);
      for (std::uint32_t i = 0; i < count; ++i) {
        IParams* element = read_list_at(reader, depth + 1);
        if (element == nullptr) return nullptr;
        elements.lists.push_back(element);  // capacity reserved: cannot throw
      }
      IParams* made = CParams::make_value(kTypeArray, &elements.lists, kCopy);
      if (made != nullptr) elements.lists.clear();
      return made;
    }
    default:
      return nullptr;
  }
}

CParams* read_list_at(CByteReader& reader, int depth) {
  std::uint32_t count = 0;
  if (!reader.read_u32(count) || count > reader.left() / kMinValueBytes) return nullptr;
  CParams* list = CParams::make_list();
  if (list == nullptr) return nullptr;
  Holder holder(list);
  list->reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    IParams* item = read_value(reader, depth);
    if (item == nullptr || !list->append(item)) return nullptr;
  }
  holder.release();
  return list;
}

}  // namespace

std::size_t CParamsCodec::list_size(IParams* list) {
  std::size_t total = 0;
  return add_list_size(list, 0, total) ? total : 0;
}

unsigned char* CParamsCodec::write_list(IParams* list, unsigned char* out) {
  std::size_t count = list->count();
  out = write_u32(out, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < count; ++i) out = write_value(list->at(i), out);
  return out;
}

unsigned char* CParamsCodec::write_u32(unsigned char* out, std::uint32_t value) {
  out[0] = static_cast<unsigned char>(value);
  out[1] = static_cast<unsigned char>(value >> 8);
  out[2] = static_cast<unsigned char>(value >> 16);
  out[3] = static_cast<unsigned char>(value >> 24);
  return out + 4;
}

CParams* CParamsCodec::read_list(CByteReader& reader) {
  try {
    return read_list_at(reader, 0);
  } catch (...) {
    return nullptr;  // out of memory; the holders freed what was read
  }
}

}  // namespace rpc
