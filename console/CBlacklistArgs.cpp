#include "console/CBlacklistArgs.h"

#include <cstdint>
#include <limits>

#include "utility/CIpText.h"

namespace console {

const char CBlacklistArgs::kInterface[] = "IIpBlackListManager";

namespace {

const char kTimeoutOption[] = "--timeout";

// A number from 1 to the largest u32, digits only.
bool parse_timeout(const std::string& text, std::uint32_t& out) {
  const std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > kMax) return false;
  }
  out = static_cast<std::uint32_t>(value);
  return !text.empty() && value > 0;
}

bool fail(const std::string& text, std::string& error) {
  error = text;
  return false;
}

// add and post: RANGE [--timeout S], in either order.
bool parse_scope(const std::string& verb, const std::vector<std::string>& args, bool timeout_ok,
                 CBlacklistArgs::Action& out, std::string& error) {
  std::string range;
  bool timeout_given = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    bool is_timeout = arg == kTimeoutOption ||
                      arg.compare(0, sizeof kTimeoutOption, std::string(kTimeoutOption) + "=") == 0;
    if (is_timeout && timeout_ok) {
      if (arg == kTimeoutOption) {
        if (i + 1 == args.size()) return fail("--timeout needs a number of seconds", error);
        value = args[++i];
      } else {
        value = arg.substr(sizeof kTimeoutOption);
      }
      if (timeout_given) return fail("--timeout given twice", error);
      if (!parse_timeout(value, out.scope.time_out)) {
        return fail("--timeout needs seconds from 1 to 4294967295, not \"" + value +
                        "\" (leave it out for a persistent entry)",
                    error);
      }
      timeout_given = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return fail(verb + " does not take \"" + arg + "\"", error);
    } else if (!range.empty()) {
      return fail(verb + " takes one range, got \"" + range + "\" and \"" + arg + "\"", error);
    } else {
      range = arg;
    }
  }
  if (range.empty()) return fail(verb + " needs a range A or A-B", error);
  out.has_scope = true;
  return utility::CIpText::parse_range(range, out.scope.start_ip, out.scope.end_ip, error);
}

// list and clear: [--temp | --persis].
bool parse_part(const std::string& verb, const std::vector<std::string>& args,
                CBlacklistArgs::Action& out, std::string& error) {
  if (args.size() > 2) return fail(verb + " takes at most one of --temp and --persis", error);
  if (args.size() == 2) {
    if (args[1] == "--temp") {
      out.part = CBlacklistArgs::kTemp;
    } else if (args[1] == "--persis") {
      out.part = CBlacklistArgs::kPersistent;
    } else {
      return fail(verb + " takes --temp or --persis, not \"" + args[1] + "\"", error);
    }
  }
  static const char* const kQueries[] = {"query_ip_blacklist", "query_ip_temp_blacklist",
                                         "query_ip_persis_blacklist"};
  static const char* const kClears[] = {"clear_ip_blacklist", "clear_ip_temp_blacklist",
                                        "clear_ip_persis_blacklist"};
  out.method = (out.verb == CBlacklistArgs::kList ? kQueries : kClears)[out.part];
  return true;
}

// filter and persis: on | off.
bool parse_switch(const std::string& verb, const std::vector<std::string>& args,
                  CBlacklistArgs::Action& out, std::string& error) {
  if (args.size() != 2 || (args[1] != "on" && args[1] != "off")) {
    return fail(verb + " takes exactly one of on and off", error);
  }
  out.on = args[1] == "on";
  if (out.verb == CBlacklistArgs::kFilter) {
    out.method = out.on ? "start_ip_filter" : "stop_ip_filter";
  } else {
    out.method = out.on ? "start_ip_persis_blacklist" : "stop_ip_persis_blacklist";
  }
  return true;
}

}  // namespace

bool CBlacklistArgs::parse(const std::vector<std::string>& args, Action& out,
                           std::string& error) {
  out = Action();
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return true;
  }
  if (args.empty()) return fail("blacklist needs a command", error);
  const std::string& verb = args[0];
  static const struct {
    const char* name;
    Verb verb;
  } kVerbs[] = {{"add", kAdd},       {"del", kDel},       {"list", kList}, {"clear", kClear},
                {"filter", kFilter}, {"persis", kPersis}, {"post", kPost}};
  for (const auto& known : kVerbs) {
    if (verb == known.name) out.verb = known.verb;
  }
  switch (out.verb) {
    case kAdd:
      out.method = "add_ip_scope_into_blacklist";
      return parse_scope(verb, args, true, out, error);
    case kPost:
      return parse_scope(verb, args, true, out, error);
    case kDel:
      out.method = "del_ip_scope_into_blacklist";
      return parse_scope(verb, args, false, out, error);
    case kList:
    case kClear:
      return parse_part(verb, args, out, error);
    case kFilter:
    case kPersis:
      return parse_switch(verb, args, out, error);
    default:
      return fail("unknown blacklist command \"" + verb + "\"", error);
  }
}

std::string CBlacklistArgs::usage() {
  return "usage: agentctl [--install-dir DIR] [--socket PATH] blacklist COMMAND\n"
         "\n"
         "  add RANGE [--timeout S]  put RANGE on the blacklist: for S seconds, or\n"
         "                           persistently (kept in the rule file) without --timeout\n"
         "  del RANGE                take RANGE off; start and end must match an entry\n"
         "  list [--temp|--persis]   print the whole list, or only its temporary or\n"
         "                           persistent part, one entry per line:\n"
         "                             10.0.0.1-10.0.0.255              persistent\n"
         "                             10.0.0.1-10.0.0.255 timeout=300  temporary, time-out\n"
         "                                                              in seconds\n"
         "  clear [--temp|--persis]  empty the whole list, or one part of it\n"
         "  filter on|off            switch IP filtering on or off\n"
         "  persis on|off            switch the persistent blacklist on or off\n"
         "  post RANGE [--timeout S] post RANGE to the agent's intake message queue, as\n"
         "                           other agent processes do; the agent sends no reply\n"
         "                           and logs the outcome in runlog/ip_blacklist.txt\n"
         "\n"
         "  RANGE is an IPv4 address A or a range A-B (B not below A), dotted decimal,\n"
         "  e.g. 10.0.0.1 or 10.0.0.1-10.0.0.255.\n"
         "\n"
         "exit status: 0 success, 1 the agent refused or failed (or no agent reads the\n"
         "             queue), 2 usage error or agent unreachable\n";
}

}  // namespace console
