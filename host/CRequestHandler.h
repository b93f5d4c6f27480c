// Answers request blocks: routes each to the realization of the interface
// it names, or to the directory, and writes the reply frames.
#ifndef HOST_CREQUESTHANDLER_H_
#define HOST_CREQUESTHANDLER_H_

#include <cstddef>

#include "frame/fwbase.h"
#include "frame/rpc.h"
#include "host/CConnection.h"
#include "host/CDirectory.h"
#include "host/CPluginLoader.h"

namespace host {

// Holds references to its arguments, which must outlive it. Safe for
// concurrent use while the plug-in set does not change.
class CRequestHandler {
 public:
  CRequestHandler(const CPluginLoader& plugins, rpc::IRpcFactory& factory,
                  fwbase::IBlockAllocator& allocator);
  CRequestHandler(const CRequestHandler&) = delete;
  CRequestHandler& operator=(const CRequestHandler&) = delete;

  // Answers one request block on `connection`: the intermediate frames the
  // call sends, then exactly one final frame (unless the connection dies).
  // Final codes of the host itself: ec::kHostBadBlock for a block shorter
  // than its header, ec::kHostNoInterface for an unknown interface,
  // ec::kFwTooLarge for a reply block above the frame limit, and the
  // allocator's code when the request cannot be copied.
  void handle(const unsigned char* block, std::size_t length, CConnection& connection) const;

 private:
  void call(rpc::IIfaceRealize& realize, const unsigned char* block, std::size_t length,
            CConnection& connection) const;
  static ec::EC send_intermediate(CConnection& connection, ec::EC code,
                                  fwbase::IDataBlock* block);

  const CPluginLoader& plugins_;
  fwbase::IBlockAllocator& allocator_;
  CDirectory directory_;
};

}  // namespace host

#endif  // HOST_CREQUESTHANDLER_H_
