#include "console/CBlacklistCommand.h"

#include <json/json.h>

#include <cstdint>

#include "console/CConsole.h"
#include "console/CIntakePoster.h"
#include "console/CJsonParams.h"
#include "console/CRequestBlock.h"
#include "console/CSignatureParser.h"
#include "console/Released.h"
#include "console/ReplyCode.h"
#include "utility/CGbkConverter.h"
#include "utility/CIpText.h"

namespace console {

namespace {

const char kProgram[] = "agentctl: ";
const std::size_t kScopeFields = 3;

// Codes of the blacklist interface and of the layers below it.
const ec::EC kBlFailed = 0x183C0000;
const ec::EC kBlNoMemory = 0x183C0004;
const ec::EC kBlQueryFailed = 0x183C0005;
const ec::EC kBlSendFailed = 0x183C0006;
const ec::EC kBlNotOpen = 0x183C0007;
const ec::EC kBlAddFailed = 0x183C0008;

// What a failure code means to the user; empty when there is nothing to add.
std::string meaning(ec::EC code, CBlacklistArgs::Verb verb) {
  switch (code) {
    case kBlFailed:
      return verb == CBlacklistArgs::kDel
                 ? "no entry has exactly this start and end, or the packet filter refused"
                 : "the packet filter refused the operation";
    case kBlNoMemory:
      return "the agent had no memory for the list";
    case kBlQueryFailed:
      return "the packet filter could not list its entries";
    case kBlSendFailed:
      return "the agent could not send part of the list";
    case kBlNotOpen:
      return "the packet filter is not open";
    case kBlAddFailed:
      return "the packet filter refused the range";
    case ec::kHostNoInterface:
      return "the agent has no IP blacklist plug-in loaded";
    case ec::kRpcReplyTooLong:
      return "the reply was too long for the agent to send";
    default:
      return std::string();
  }
}

std::string describe_scope(const rpc::IpScope& scope) {
  return utility::CIpText::format_range(scope.start_ip, scope.end_ip) +
         (scope.time_out == 0 ? " (persistent)"
                              : " (temporary, " + std::to_string(scope.time_out) + " s)");
}

bool read_u32(const rpc::IParams* value, std::uint32_t& out) {
  if (value == nullptr || value->type() != rpc::kTypeUInt32) return false;
  void* raw = const_cast<rpc::IParams*>(value)->value();
  if (raw == nullptr) return false;
  out = *static_cast<unsigned int*>(raw);
  return true;
}

// Prints the entries of a query reply's results, one line each. False when
// the results are not one array of IpScope records.
bool write_entries(rpc::IParams* results, std::ostream& out) {
  if (results == nullptr || results->count() != 1 || results->at(0) == nullptr ||
      results->at(0)->type() != rpc::kTypeArray || results->at(0)->value() == nullptr) {
    return false;
  }
  std::string text;
  for (rpc::IParams* element : *static_cast<std::vector<rpc::IParams*>*>(results->at(0)->value())) {
    rpc::IpScope scope = {0, 0, 0};
    if (element == nullptr || element->count() != kScopeFields ||
        !read_u32(element->at(0), scope.start_ip) || !read_u32(element->at(1), scope.end_ip) ||
        !read_u32(element->at(2), scope.time_out)) {
      return false;
    }
    text += utility::CIpText::format_range(scope.start_ip, scope.end_ip);
    if (scope.time_out != 0) text += " timeout=" + std::to_string(scope.time_out);
    text += '\n';
  }
  out << text;
  return true;
}

}  // namespace

int CBlacklistCommand::run(const std::string& socket, const std::vector<std::string>& args) {
  command_ = "blacklist";
  for (const std::string& arg : args) command_ += " " + arg;
  CBlacklistArgs::Action action;
  std::string error;
  if (!CBlacklistArgs::parse(args, action, error)) {
    return problem(CConsole::kExitUsage, error + " (see agentctl blacklist --help)");
  }
  if (action.verb == CBlacklistArgs::kHelp) {
    out_ << CBlacklistArgs::usage();
    return CConsole::kExitOk;
  }
  return action.verb == CBlacklistArgs::kPost ? post(action) : call(socket, action);
}

int CBlacklistCommand::post(const CBlacklistArgs::Action& action) {
  std::string error;
  if (!CIntakePoster().post(action.scope, error)) return problem(CConsole::kExitFailed, error);
  confirm(action);
  return CConsole::kExitOk;
}

int CBlacklistCommand::call(const std::string& socket, const CBlacklistArgs::Action& action) {
  CAgentClient client;
  std::string error;
  if (!client.connect(socket, error)) return problem(CConsole::kExitUsage, error);
  CDirectory directory;
  if (!directory.load(client, factory_, error)) return problem(CConsole::kExitFailed, error);
  std::string block;
  int status = build_request(directory, action, block);
  if (status != CConsole::kExitOk) return status;

  ec::EC failure = 0;
  bool readable = true;
  auto on_frame = [&](const CAgentClient::Frame& frame) {
    ec::EC code = 0;
    if (!readable) return;
    readable = read_frame(frame, action, code, error);
    if (readable && failure == 0 && !code_ok(code)) failure = code;
  };
  if (!client.call(block, on_frame, error)) return problem(CConsole::kExitFailed, error);
  out_.flush();
  if (!readable) return problem(CConsole::kExitFailed, error);
  if (failure != 0) {
    std::string why = meaning(failure, action.verb);
    return problem(CConsole::kExitFailed, command_ + " failed: " + ec::to_text(failure) +
                                              (why.empty() ? "" : " (" + why + ")"));
  }
  confirm(action);
  return CConsole::kExitOk;
}

int CBlacklistCommand::build_request(const CDirectory& directory,
                                     const CBlacklistArgs::Action& action, std::string& block) {
  const std::string& iface = CBlacklistArgs::kInterface;
  std::string name = iface + "." + action.method;
  const CDirectory::Entry* entry = directory.find(iface, action.method);
  if (entry == nullptr) {
    return problem(CConsole::kExitFailed,
                   directory.has_interface(iface)
                       ? "the agent's " + iface + " has no method " + action.method
                       : "the agent has no " + iface +
                             " interface; is the ip_blacklist "
                             "plug-in loaded?");
  }
  Signature signature;
  std::string error;
  if (!CSignatureParser::parse(entry->signature, signature, error) ||
      signature.inputs.size() != (action.has_scope ? 1u : 0u)) {
    return problem(CConsole::kExitFailed, "the agent's " + name + " has the signature " +
                                              utility::CGbkConverter::to_utf8(entry->signature) +
                                              ", which this console does not expect");
  }
  Released<rpc::IRequest> request(factory_.create_request(action.method));
  if (!request || request->params() == nullptr) {
    return problem(CConsole::kExitFailed, "could not make the request for " + name);
  }
  if (action.has_scope) {
    Json::Value scope(Json::objectValue);
    scope["start_ip"] = action.scope.start_ip;
    scope["end_ip"] = action.scope.end_ip;
    scope["time_out"] = action.scope.time_out;
    if (!CJsonParams(factory_).append(signature.inputs[0], scope, *request->params(), name,
                                      error)) {
      return problem(CConsole::kExitFailed,
                     "the range does not fit the agent's signature: " + error);
    }
  }
  if (CRequestBlock::make(iface, *request, block, error) != CRequestBlock::kMade) {
    return problem(CConsole::kExitFailed, error);
  }
  return CConsole::kExitOk;
}

bool CBlacklistCommand::read_frame(const CAgentClient::Frame& frame,
                                   const CBlacklistArgs::Action& action, ec::EC& code,
                                   std::string& error) {
  code = frame.code;
  if (frame.reply.empty()) return true;
  Released<rpc::IReply> reply(factory_.create_reply(nullptr, 0));
  if (!reply || !reply->parse(frame.reply.data(), frame.reply.size())) {
    error = "the agent sent a reply that cannot be read";
    return false;
  }
  code = reply->code();
  if (action.verb != CBlacklistArgs::kList || !code_ok(code)) return true;
  if (write_entries(reply->results(), out_)) return true;
  error = "the agent sent a list that cannot be read";
  return false;
}

void CBlacklistCommand::confirm(const CBlacklistArgs::Action& action) {
  static const char* const kParts[] = {"the blacklist", "the temporary blacklist",
                                       "the persistent blacklist"};
  switch (action.verb) {
    case CBlacklistArgs::kAdd:
      out_ << "added " << describe_scope(action.scope) << "\n";
      break;
    case CBlacklistArgs::kDel:
      out_ << "deleted "
           << utility::CIpText::format_range(action.scope.start_ip, action.scope.end_ip) << "\n";
      break;
    case CBlacklistArgs::kClear:
      out_ << "cleared " << kParts[action.part] << "\n";
      break;
    case CBlacklistArgs::kFilter:
      out_ << "IP filtering is " << (action.on ? "on" : "off") << "\n";
      break;
    case CBlacklistArgs::kPersis:
      out_ << "the persistent blacklist is " << (action.on ? "on" : "off") << "\n";
      break;
    case CBlacklistArgs::kPost:
      out_ << "posted " << describe_scope(action.scope)
           << " to the intake queue; the agent sends no reply and logs the outcome in "
              "runlog/ip_blacklist.txt\n";
      break;
    default:
      break;
  }
  out_.flush();
}

int CBlacklistCommand::problem(int status, const std::string& text) {
  err_ << kProgram << text << std::endl;
  return status;
}

}  // namespace console
