// Feeds arbitrary bytes to the request and reply parsers. Whatever parses
// must serialize back to exactly the same bytes; anything else aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/CReply.h"
#include "platform/base/CRequest.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

template <class T>
void require_same_bytes(const T& object, const std::uint8_t* data, std::size_t size) {
  require(object.size() == size);
  std::string out(size + 1, '\0');
  if (size > 0) require(object.serialize(&out[0], size - 1) == 0);  // short buffer refused
  require(object.serialize(&out[0], out.size()) == size);
  require(std::memcmp(out.data(), data, size) == 0);
}

// Takes the tree apart the way the stubs do: pops every entry, reads every
// value, descends into records and array elements.
void consume(rpc::IParams* list) {
  while (rpc::IParams* item = list->pop()) {
    void* value = item->value();
    switch (item->type()) {
      case rpc::kTypeString:
        require(static_cast<std::string*>(value)->size() < (1u << 20));
        break;
      case rpc::kTypeRecord:
        consume(static_cast<rpc::IParams*>(value));
        break;
      case rpc::kTypeArray:
        for (rpc::IParams* element : *static_cast<std::vector<rpc::IParams*>*>(value)) {
          consume(element);
        }
        break;
      default:
        require(value != nullptr);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rpc::CRequest* request = rpc::CRequest::create("");
  if (request->parse(data, size)) {
    require_same_bytes(*request, data, size);
    consume(request->params());
  } else {
    require(request->method().empty() && request->params()->count() == 0);
  }
  request->release();

  rpc::CReply* reply = rpc::CReply::create(nullptr, 0);
  if (reply->parse(data, size)) {
    require_same_bytes(*reply, data, size);
    consume(reply->results());
  } else {
    require(reply->code() == 0 && reply->results()->count() == 0);
  }
  reply->release();
  return 0;
}
