#include "platform/base/CReply.h"

#include <new>

#include "platform/base/CByteReader.h"
#include "platform/base/CParamsCodec.h"

namespace rpc {

CReply* CReply::create(ICommand* command, ec::EC code) {
  CParams* results = CParams::make_list();
  if (results == nullptr) return nullptr;
  CReply* reply = new (std::nothrow) CReply(command, code, results);
  if (reply == nullptr) results->release();
  return reply;
}

CReply::CReply(ICommand* command, ec::EC code, CParams* results)
    : command_(command), code_(code), results_(results) {}

CReply::~CReply() { results_->release(); }

void CReply::release() { delete this; }

std::size_t CReply::size() const {
  std::size_t list = CParamsCodec::list_size(results_);
  return list == 0 ? 0 : 4 + list;
}

std::size_t CReply::serialize(void* buffer, std::size_t size) const {
  std::size_t needed = this->size();
  if (needed == 0 || buffer == nullptr || size < needed) return 0;
  unsigned char* out = CParamsCodec::write_u32(static_cast<unsigned char*>(buffer), code_);
  CParamsCodec::write_list(results_, out);
  return needed;
}

bool CReply::parse(const void* data, std::size_t length) {
  CByteReader reader(data, length);
  std::uint32_t code = 0;
  CParams* parsed = nullptr;
  bool ok = reader.read_u32(code) && (parsed = CParamsCodec::read_list(reader)) != nullptr &&
            reader.at_end();
  if (!ok) {
    if (parsed != nullptr) parsed->release();
    code_ = 0;
    results_->clear();
    return false;
  }
  code_ = code;
  results_->swap_entries(*parsed);
  parsed->release();
  return true;
}

}  // namespace rpc
