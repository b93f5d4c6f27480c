// A call context that hands intermediate replies to a function.
#ifndef PLATFORM_BASE_CCOMMAND_H_
#define PLATFORM_BASE_CCOMMAND_H_

#include <functional>

#include "frame/export.h"
#include "frame/rpc.h"

namespace rpc {

// send() passes (code, block) to the sink given at construction and returns
// the sink's result. The block always changes hands: once the sink is
// called it owns the block (and must release it, also when it fails); with
// no sink, send() releases the block and returns ec::kFwIo, and so it does
// when the sink throws. Thread safety is the sink's.
class AGENT_EXPORT CCommand : public ICommand {
 public:
  typedef std::function<ec::EC(ec::EC, fwbase::IDataBlock*)> Sink;

  explicit CCommand(Sink sink = Sink());
  ~CCommand() override {}
  CCommand(const CCommand&) = delete;
  CCommand& operator=(const CCommand&) = delete;

  ec::EC send(ec::EC code, fwbase::IDataBlock* block) override;

 private:
  Sink sink_;
};

}  // namespace rpc

#endif  // PLATFORM_BASE_CCOMMAND_H_
