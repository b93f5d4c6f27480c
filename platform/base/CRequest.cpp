#include "platform/base/CRequest.h"

#include <new>
#include <utility>

#include "platform/base/CByteReader.h"
#include "platform/base/CParamsCodec.h"

namespace rpc {

const std::size_t CRequest::kMaxMethodName;

CRequest* CRequest::create(const std::string& method) {
  if (method.size() > kMaxMethodName) return nullptr;
  CParams* params = CParams::make_list();
  if (params == nullptr) return nullptr;
  try {
    CRequest* request = new CRequest(method, params);
    return request;
  } catch (...) {
    params->release();
    return nullptr;
  }
}

CRequest::CRequest(std::string method, CParams* params)
    : method_(std::move(method)), params_(params) {}

CRequest::~CRequest() { params_->release(); }

void CRequest::release() { delete this; }

bool CRequest::parse(const void* data, std::size_t length) {
  CByteReader reader(data, length);
  std::uint32_t name_length = 0;
  const unsigned char* name = nullptr;
  CParams* parsed = nullptr;
  bool ok = reader.read_u32(name_length) && name_length <= kMaxMethodName &&
            reader.read_bytes(name_length, name) &&
            (parsed = CParamsCodec::read_list(reader)) != nullptr && reader.at_end();
  if (ok) {
    try {
      method_.assign(reinterpret_cast<const char*>(name), name_length);
    } catch (...) {
      ok = false;
    }
  }
  if (!ok) {
    if (parsed != nullptr) parsed->release();
    method_.clear();
    params_->clear();
    return false;
  }
  params_->swap_entries(*parsed);
  parsed->release();
  return true;
}

std::size_t CRequest::size() const {
  std::size_t list = CParamsCodec::list_size(params_);
  return list == 0 ? 0 : 4 + method_.size() + list;
}

std::size_t CRequest::serialize(void* buffer, std::size_t size) const {
  std::size_t needed = this->size();
  if (needed == 0 || buffer == nullptr || size < needed) return 0;
  unsigned char* out = static_cast<unsigned char*>(buffer);
  out = CParamsCodec::write_u32(out, static_cast<std::uint32_t>(method_.size()));
  method_.copy(reinterpret_cast<char*>(out), method_.size());
  CParamsCodec::write_list(params_, out + method_.size());
  return needed;
}

}  // namespace rpc
