#include "console/CConsole.h"

#include <memory>
#include <sstream>
#include <utility>

#include "console/CBlacklistCommand.h"
#include "console/CJsonParams.h"
#include "console/CLogPrinter.h"
#include "console/COrderedJson.h"
#include "console/CSignatureParser.h"
#include "console/Released.h"
#include "console/ReplyCode.h"
#include "console/CRequestBlock.h"
#include "frame/wire.h"
#include "utility/CGbkConverter.h"

namespace console {

namespace {

const char kProgram[] = "agentctl: ";
const char kIndent[] = "    ";

// The reader's first error as one line: "Line 1, Column 1: Syntax error: ...".
std::string one_line_errors(const std::string& errors) {
  std::istringstream lines(errors);
  std::string line;
  std::string text;
  for (int taken = 0; taken < 2 && std::getline(lines, line);) {
    std::string::size_type start = line.find_first_not_of(" *");
    if (start == std::string::npos) continue;
    text += (taken++ == 0 ? "" : ": ") + line.substr(start);
  }
  return text;
}

}  // namespace

int CConsole::run(const CCommandLine::Options& options) {
  if (options.command == "list") return list(options);
  if (options.command == "call") return call(options);
  if (options.command == "logs") return logs(options);
  if (options.command == "blacklist") {
    return CBlacklistCommand(factory_, out_, err_).run(options.socket, options.args);
  }
  return problem(kExitUsage, "unknown command \"" + options.command + "\"");
}

int CConsole::open(const std::string& socket, CAgentClient& client, CDirectory& directory) {
  std::string error;
  if (!client.connect(socket, error)) return problem(kExitUsage, error);
  if (!directory.load(client, factory_, error)) return problem(kExitFailed, error);
  return kExitOk;
}

int CConsole::list(const CCommandLine::Options& options) {
  CAgentClient client;
  CDirectory directory;
  int status = open(options.socket, client, directory);
  if (status != kExitOk) return status;
  if (directory.entries().empty()) out_ << "no interface loaded\n";
  const CDirectory::Entry* previous = nullptr;
  for (const CDirectory::Entry& entry : directory.entries()) {
    if (previous == nullptr || previous->iface != entry.iface) print_interface(entry);
    if (!entry.method.empty()) {
      out_ << kIndent << utility::CGbkConverter::to_utf8(entry.method) << "  "
           << utility::CGbkConverter::to_utf8(entry.signature) << "  "
           << utility::CGbkConverter::to_utf8(entry.description) << "\n";
    }
    previous = &entry;
  }
  out_.flush();
  return kExitOk;
}

void CConsole::print_interface(const CDirectory::Entry& entry) {
  out_ << utility::CGbkConverter::to_utf8(entry.iface) << "  " << utility::CGbkConverter::to_utf8(entry.guid)
       << "  " << utility::CGbkConverter::to_utf8(entry.iface_description) << "\n";
}

int CConsole::call(const CCommandLine::Options& options) {
  const std::string& iface = options.args[0];
  const std::string& method = options.args[1];
  CAgentClient client;
  CDirectory directory;
  int status = open(options.socket, client, directory);
  if (status != kExitOk) return status;
  const CDirectory::Entry* entry = directory.find(iface, method);
  if (entry == nullptr) {
    if (!directory.has_interface(iface)) {
      return problem(kExitUsage, "unknown interface \"" + iface + "\" (see agentctl list)");
    }
    return problem(kExitUsage, "interface " + iface + " has no method \"" + method + "\"");
  }
  Signature signature;
  std::string error;
  if (!CSignatureParser::parse(entry->signature, signature, error)) {
    return problem(kExitFailed, iface + "." + method + ": " + error);
  }
  std::string block;
  std::vector<std::string> args(options.args.begin() + 2, options.args.end());
  status = build_request(*entry, signature, args, block);
  if (status != kExitOk) return status;

  bool final_ok = false;
  auto on_frame = [&](const CAgentClient::Frame& frame) {
    bool ok = print_frame(frame, signature);
    if (frame.final) final_ok = ok;
  };
  if (!client.call(block, on_frame, error)) return problem(kExitFailed, error);
  return final_ok ? kExitOk : kExitFailed;
}

int CConsole::logs(const CCommandLine::Options& options) {
  std::string error;
  if (!CLogPrinter::print(options.install_dir, options.limit, out_, error)) {
    return problem(kExitFailed, "cannot read the log records: " + error);
  }
  return kExitOk;
}

int CConsole::build_request(const CDirectory::Entry& entry, const Signature& signature,
                            const std::vector<std::string>& args, std::string& block) {
  std::string name = entry.iface + "." + entry.method;
  if (args.size() != signature.inputs.size()) {
    std::ostringstream text;
    text << name << " takes " << signature.inputs.size() << " argument(s) "
         << utility::CGbkConverter::to_utf8(entry.signature) << ", got " << args.size();
    return problem(kExitUsage, text.str());
  }
  Released<rpc::IRequest> request(factory_.create_request(entry.method));
  if (!request || request->params() == nullptr) {
    return problem(kExitFailed, "could not make the request for " + name);
  }
  CJsonParams converter(factory_);
  for (std::size_t i = 0; i < args.size(); ++i) {
    Json::Value json;
    std::string error;
    if (!parse_json(args[i], i + 1, json)) return kExitUsage;
    if (!converter.append(signature.inputs[i], json, *request->params(),
                          "argument " + std::to_string(i + 1), error)) {
      return problem(kExitUsage, name + ": " + error);
    }
  }
  std::string error;
  CRequestBlock::Outcome made = CRequestBlock::make(entry.iface, *request, block, error);
  if (made == CRequestBlock::kMade) return kExitOk;
  return problem(made == CRequestBlock::kTooLarge ? kExitUsage : kExitFailed, error);
}

bool CConsole::parse_json(const std::string& text, std::size_t index, Json::Value& out) {
  Json::CharReaderBuilder builder;
  builder["allowComments"] = false;
  builder["failIfExtra"] = true;
  builder["rejectDupKeys"] = true;
  builder["allowSpecialFloats"] = false;
  builder["allowSingleQuotes"] = false;
  builder["stackLimit"] = 64;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  if (reader->parse(text.data(), text.data() + text.size(), &out, &errors)) return true;
  problem(kExitUsage, "argument " + std::to_string(index) + " is not valid JSON (" +
                          one_line_errors(errors) +
                          "); strings need double quotes, e.g. '\"text\"'");
  return false;
}

bool CConsole::print_frame(const CAgentClient::Frame& frame, const Signature& signature) {
  ec::EC code = frame.code;
  COrderedJson results = COrderedJson::array();
  bool readable = true;
  if (!frame.reply.empty()) {
    Released<rpc::IReply> reply(factory_.create_reply(nullptr, 0));
    readable = reply && reply->parse(frame.reply.data(), frame.reply.size());
    if (readable) {
      code = reply->code();
      if (reply->results() != nullptr) {
        results = CJsonParams::results_to_json(signature.outputs, *reply->results());
      }
    }
  }
  bool ok = readable && code_ok(code);
  COrderedJson line = COrderedJson::object();
  line.add("code", COrderedJson::from_string(ec::to_text(code)))
      .add("ok", COrderedJson::from_bool(ok))
      .add("results", std::move(results));
  out_ << line.text() << std::endl;
  if (!readable) problem(kExitFailed, "the agent sent a reply that cannot be read");
  if (code == ec::kRpcReplyTooLong) {
    problem(kExitFailed, "the reply was longer than " + std::to_string(rpc::kMaxReplySize) +
                             " bytes; the agent made no reply (" + ec::to_text(code) + ")");
  }
  return ok;
}

int CConsole::problem(int status, const std::string& text) {
  err_ << kProgram << text << std::endl;
  return status;
}

}  // namespace console
