#include "platform/base/CCommand.h"

#include <utility>

namespace rpc {

CCommand::CCommand(Sink sink) : sink_(std::move(sink)) {}

ec::EC CCommand::send(ec::EC code, fwbase::IDataBlock* block) {
  if (!sink_) {
    if (block != nullptr) block->release();
    return ec::kFwIo;
  }
  try {
    return sink_(code, block);
  } catch (...) {
    return ec::kFwIo;
  }
}

}  // namespace rpc
