#include "platform/base/CParams.h"

#include <new>

namespace rpc {

namespace {

bool is_list(const IParams* item) { return item != nullptr && item->type() == 0; }

}  // namespace

CParams::CParams(int type)
    : type_(type), live_(0), bool_(false), u32_(0), u64_(0), string_(nullptr), record_(nullptr) {}

CParams::~CParams() {
  for (IParams* entry : entries_) entry->release();
  delete string_;
  if (record_ != nullptr) record_->release();
}

CParams* CParams::make_list() { return new (std::nothrow) CParams(0); }

CParams* CParams::make_value(int type, const void* value, int adopt) {
  if (value == nullptr) return nullptr;
  switch (type) {
    case kTypeBool: {
      CParams* made = new (std::nothrow) CParams(type);
      // Read as a byte: any non-zero byte counts as true.
      if (made != nullptr) made->bool_ = *static_cast<const unsigned char*>(value) != 0;
      return made;
    }
    case kTypeUInt32: {
      CParams* made = new (std::nothrow) CParams(type);
      if (made != nullptr) made->u32_ = *static_cast<const unsigned int*>(value);
      return made;
    }
    case kTypeUInt64: {
      CParams* made = new (std::nothrow) CParams(type);
      if (made != nullptr) made->u64_ = *static_cast<const unsigned long long*>(value);
      return made;
    }
    case kTypeString: {
      const std::string* text = static_cast<const std::string*>(value);
      CParams* made = new (std::nothrow) CParams(type);
      if (made == nullptr) return nullptr;
      if (adopt == kAdopt) {
        made->string_ = const_cast<std::string*>(text);
        return made;
      }
      try {
        made->string_ = new std::string(*text);
      } catch (...) {
        made->release();
        return nullptr;
      }
      return made;
    }
    case kTypeRecord: {
      // The pointer given is the record's list itself.
      IParams* fields = static_cast<IParams*>(const_cast<void*>(value));
      if (!is_list(fields)) return nullptr;
      CParams* made = new (std::nothrow) CParams(type);
      if (made != nullptr) made->record_ = fields;
      return made;
    }
    case kTypeArray: {
      const std::vector<IParams*>& elements = *static_cast<const std::vector<IParams*>*>(value);
      for (IParams* element : elements) {
        if (!is_list(element)) return nullptr;
      }
      CParams* made = new (std::nothrow) CParams(type);
      if (made == nullptr) return nullptr;
      try {
        made->entries_ = elements;
      } catch (...) {
        made->release();
        return nullptr;
      }
      return made;
    }
    default:
      return nullptr;
  }
}

void CParams::release() { delete this; }

bool CParams::append(IParams* item) {
  if (item == this) return false;
  if (item == nullptr) return false;
  if (type_ != 0) {
    item->release();
    return false;
  }
  try {
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(live_), item);
  } catch (...) {
    item->release();
    return false;
  }
  ++live_;
  return true;
}

IParams* CParams::pop() {
  if (live_ == 0) return nullptr;
  return entries_[--live_];
}

std::size_t CParams::count() const { return live_; }

IParams* CParams::at(std::size_t index) const {
  return index < live_ ? entries_[index] : nullptr;
}

void* CParams::value() {
  switch (type_) {
    case kTypeBool:
      return &bool_;
    case kTypeUInt32:
      return &u32_;
    case kTypeUInt64:
      return &u64_;
    case kTypeString:
      return string_;
    case kTypeRecord:
      return record_;
    case kTypeArray:
      return &entries_;
    default:
      return nullptr;
  }
}

void CParams::reserve(std::size_t count) {
  if (type_ != 0) return;
  try {
    entries_.reserve(entries_.size() + count);
  } catch (...) {
    // append() grows the vector itself, or fails cleanly.
  }
}

void CParams::clear() {
  if (type_ != 0) return;
  std::vector<IParams*> old;
  old.swap(entries_);
  live_ = 0;
  for (IParams* entry : old) entry->release();
}

void CParams::swap_entries(CParams& other) {
  if (type_ != 0 || other.type_ != 0) return;
  entries_.swap(other.entries_);
  std::swap(live_, other.live_);
}

}  // namespace rpc
