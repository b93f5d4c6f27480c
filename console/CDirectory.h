// The agent's directory: every method of every loaded interface, as the
// host's own interface answers its "list" method.
//
// Texts are kept as the agent sent them (GBK). Not thread-safe.
#ifndef CONSOLE_CDIRECTORY_H_
#define CONSOLE_CDIRECTORY_H_

#include <string>
#include <vector>

#include "console/CAgentClient.h"
#include "frame/rpc.h"

namespace console {

class CDirectory {
 public:
  // One method; an interface without methods has one entry with empty
  // method fields.
  struct Entry {
    std::string iface;
    std::string guid;
    std::string iface_description;
    std::string method;
    std::string description;
    std::string signature;
  };

  // Asks the agent over `client`. False with `error` when the call fails or
  // the answer does not have the directory's shape.
  bool load(CAgentClient& client, rpc::IRpcFactory& factory, std::string& error);

  const std::vector<Entry>& entries() const { return entries_; }
  bool has_interface(const std::string& iface) const;
  // Null when the interface has no such method.
  const Entry* find(const std::string& iface, const std::string& method) const;

  // Reads a serialized directory reply. False when it is not one.
  bool read_reply(const std::string& reply, rpc::IRpcFactory& factory, std::string& error);

 private:
  bool read_entry(rpc::IParams* element);

  std::vector<Entry> entries_;
};

}  // namespace console

#endif  // CONSOLE_CDIRECTORY_H_
