#include "host/CRequestHandler.h"

#include <cstring>
#include <string>

#include "frame/wire.h"
#include "platform/base/CCommand.h"

namespace host {

namespace {

const unsigned char* body_of(const std::string& text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

CRequestHandler::CRequestHandler(const CPluginLoader& plugins, rpc::IRpcFactory& factory,
                                 fwbase::IBlockAllocator& allocator)
    : plugins_(plugins), allocator_(allocator), directory_(plugins, factory) {}

void CRequestHandler::handle(const unsigned char* block, std::size_t length,
                             CConnection& connection) const {
  std::string iface;
  const unsigned char* payload = nullptr;
  std::size_t payload_length = 0;
  if (!wire::split_request_block(block, length, iface, payload, payload_length)) {
    connection.write_reply(wire::kFrameFinal, ec::kHostBadBlock, nullptr, 0);
    return;
  }
  if (iface.empty()) {
    std::string reply;
    ec::EC code = directory_.answer(payload, payload_length, reply);
    connection.write_reply(wire::kFrameFinal, code, body_of(reply), reply.size());
    return;
  }
  rpc::IIfaceRealize* realize = plugins_.find(iface);
  if (realize == nullptr) {
    connection.write_reply(wire::kFrameFinal, ec::kHostNoInterface, nullptr, 0);
    return;
  }
  call(*realize, block, length, connection);
}

void CRequestHandler::call(rpc::IIfaceRealize& realize, const unsigned char* block,
                           std::size_t length, CConnection& connection) const {
  fwbase::IDataBlock* request = nullptr;
  ec::EC code = allocator_.alloc(request, length);
  if (ec::failed(code) || request == nullptr) {
    connection.write_reply(wire::kFrameFinal, ec::failed(code) ? code : ec::kFwNoMemory,
                           nullptr, 0);
    return;
  }
  std::memcpy(request->buffer(), block, length);
  request->set_length(length);

  rpc::CCommand command([&connection](ec::EC sent_code, fwbase::IDataBlock* sent) {
    return send_intermediate(connection, sent_code, sent);
  });
  fwbase::IDataBlock* reply = nullptr;
  code = realize.call_func(request, reply, &command);
  request->release();

  const unsigned char* body = nullptr;
  std::size_t body_length = 0;
  if (reply != nullptr && reply->length() > rpc::kMaxReplySize) {
    code = ec::kFwTooLarge;  // the client would refuse the frame
  } else if (reply != nullptr) {
    body = reply->data();
    body_length = reply->length();
  }
  connection.write_reply(wire::kFrameFinal, code, body, body_length);
  if (reply != nullptr) reply->release();
}

ec::EC CRequestHandler::send_intermediate(CConnection& connection, ec::EC code,
                                          fwbase::IDataBlock* block) {
  bool written = false;
  if (block != nullptr && block->length() > rpc::kMaxReplySize) {
    block->release();
    return ec::kFwTooLarge;
  }
  if (block != nullptr) {
    written = connection.write_reply(wire::kFrameIntermediate, code, block->data(),
                                     block->length());
    block->release();
  } else {
    written = connection.write_reply(wire::kFrameIntermediate, code, nullptr, 0);
  }
  return written ? ec::kFwOk : ec::kFwIo;
}

}  // namespace host
