#include "console/CDirectory.h"

#include "console/Released.h"
#include "frame/ec.h"
#include "frame/wire.h"

namespace console {

namespace {

const std::size_t kEntryFields = 6;

}  // namespace

bool CDirectory::load(CAgentClient& client, rpc::IRpcFactory& factory, std::string& error) {
  Released<rpc::IRequest> request(factory.create_request(wire::kDirectoryMethod));
  if (!request) {
    error = "could not make the directory request";
    return false;
  }
  std::string payload(request->size(), '\0');
  if (request->serialize(&payload[0], payload.size()) != payload.size()) {
    error = "could not serialize the directory request";
    return false;
  }
  CAgentClient::Frame final_frame;
  auto keep_final = [&final_frame](const CAgentClient::Frame& frame) {
    if (frame.final) final_frame = frame;
  };
  if (!client.call(wire::make_request_block("", payload), keep_final, error)) return false;
  if (ec::failed(final_frame.code)) {
    error = "the agent refused the directory request with " + ec::to_text(final_frame.code);
    return false;
  }
  return read_reply(final_frame.reply, factory, error);
}

bool CDirectory::read_reply(const std::string& reply, rpc::IRpcFactory& factory,
                            std::string& error) {
  entries_.clear();
  error = "the agent's directory answer is malformed";
  Released<rpc::IReply> parsed(factory.create_reply(nullptr, 0));
  if (!parsed || !parsed->parse(reply.data(), reply.size())) return false;
  if (ec::failed(parsed->code())) {
    error = "the agent's directory answered " + ec::to_text(parsed->code());
    return false;
  }
  rpc::IParams* results = parsed->results();
  if (results == nullptr || results->count() != 1 || results->at(0) == nullptr ||
      results->at(0)->type() != rpc::kTypeArray || results->at(0)->value() == nullptr) {
    return false;
  }
  for (rpc::IParams* element : *static_cast<std::vector<rpc::IParams*>*>(results->at(0)->value())) {
    if (!read_entry(element)) return false;
  }
  error.clear();
  return true;
}

bool CDirectory::read_entry(rpc::IParams* element) {
  if (element == nullptr || element->count() != kEntryFields) return false;
  std::string texts[kEntryFields];
  for (std::size_t i = 0; i < kEntryFields; ++i) {
    rpc::IParams* field = element->at(i);
    if (field == nullptr || field->type() != rpc::kTypeString || field->value() == nullptr) {
      return false;
    }
    texts[i] = *static_cast<std::string*>(field->value());
  }
  entries_.push_back(Entry{texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]});
  return true;
}

bool CDirectory::has_interface(const std::string& iface) const {
  for (const Entry& entry : entries_) {
    if (entry.iface == iface) return true;
  }
  return false;
}

const CDirectory::Entry* CDirectory::find(const std::string& iface,
                                          const std::string& method) const {
  for (const Entry& entry : entries_) {
    if (entry.iface == iface && entry.method == method && !method.empty()) return &entry;
  }
  return nullptr;
}

}  // namespace console
