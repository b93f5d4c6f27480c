#include "ip_blacklist/IIpBlackListManager.h"

#include <ace/Guard_T.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "ip_blacklist/CIfaceRealize_IIpBlackListManager.h"
#include "utility/CUnixHelper.h"

namespace rpc {

namespace {

const char kLogPath[] = "./runlog/ip_blacklist.txt";
const char kRuleFileSuffix[] = "/sec_policy/ip_blacklist.pol";
const char kAddLine[] = "[add blacklist] start_ip:%s, end_ip:%s, time_out:%u";
const char kAddFailed[] = "添加失败";
const std::size_t kRecordSize = sizeof(IpScope);
const std::size_t kAddressText = 50;
// Attempts at a query whose list grows between sizing it and filling it.
const int kQueryAttempts = 3;

const int kStatusOk = ipfilter::kIpfOk;
const int kStatusTooSmall = ipfilter::kIpfBufferTooSmall;
const int kStatusNotOpen = ipfilter::kIpfNotOpen;

ec::EC simple_result(int status) {
  if (status == kStatusOk) return ec::kBlOk;
  return status == kStatusNotOpen ? ec::kBlNotOpen : ec::kBlRuleFailed;
}

void format_address(unsigned int address, char (&text)[kAddressText]) {
  std::memset(text, 0, sizeof text);
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>((address >> 24) & 0xFF),
                static_cast<int>((address >> 16) & 0xFF), static_cast<int>((address >> 8) & 0xFF),
                static_cast<int>(address & 0xFF));
}

typedef ACE_Write_Guard<ACE_RW_Thread_Mutex> WriteGuard;

}  // namespace

// ---- life cycle ------------------------------------------------------------

ec::EC IIpBlackListManager::init(void*) {
  ISecModelIpFilter* filter = ISecModelIpFilter::instance();
  if (filter == nullptr || filter->init() != 0) return ec::kBlInitFailed;
  if (filter->open() != 0) return ec::kBlOpenFailed;
  ip_filter = filter;
  get_rule_path();
  log.init(kLogPath, false, false);
  if (intake_enabled_) add_ip.init(this);
  return ec::kBlOk;
}

void IIpBlackListManager::release() {
  ISecModelIpFilter* filter = ip_filter.exchange(nullptr);
  if (filter == nullptr) return;
  filter->close();
  filter->release();
}

std::string& IIpBlackListManager::get_rule_path() {
  rule_path.clear();
  std::string dir = install_dir_.empty() ? utility::CUnixHelper::get_zelmor_path() : install_dir_;
  char path[kRulePathBuffer];
  std::memset(path, 0, sizeof path);
  int written = std::snprintf(path, sizeof path, "%s%s", dir.c_str(), kRuleFileSuffix);
  // A path that does not fit is left empty rather than cut: a cut path
  // would name some other file.
  if (written > 0 && static_cast<std::size_t>(written) < sizeof path) rule_path = path;
  return rule_path;
}

void IIpBlackListManager::set_install_dir(const std::string& dir) { install_dir_ = dir; }

IIpRuleSet* IIpBlackListManager::rules() const {
  ISecModelIpFilter* filter = ip_filter.load();
  return filter != nullptr ? filter->rules() : nullptr;
}

// ---- simple operations -----------------------------------------------------

ec::EC IIpBlackListManager::run_simple(SimpleOp op) {
  IIpRuleSet* set = rules();
  return simple_result(set != nullptr ? (set->*op)() : kStatusNotOpen);
}

ec::EC IIpBlackListManager::start_ip_filter(ICommand*) {
  return run_simple(&IIpRuleSet::start_filter);
}

ec::EC IIpBlackListManager::stop_ip_filter(ICommand*) {
  return run_simple(&IIpRuleSet::stop_filter);
}

ec::EC IIpBlackListManager::start_ip_persis_blacklist(ICommand*) {
  return run_simple(&IIpRuleSet::start_persis);
}

ec::EC IIpBlackListManager::stop_ip_persis_blacklist(ICommand*) {
  return run_simple(&IIpRuleSet::stop_persis);
}

ec::EC IIpBlackListManager::clear_ip_blacklist(ICommand*) {
  return run_simple(&IIpRuleSet::clear_all);
}

ec::EC IIpBlackListManager::clear_ip_temp_blacklist(ICommand*) {
  return run_simple(&IIpRuleSet::clear_temp);
}

ec::EC IIpBlackListManager::clear_ip_persis_blacklist(ICommand*) {
  ec::EC result = run_simple(&IIpRuleSet::clear_persis);
  if (result != ec::kBlOk) return result;
  WriteGuard guard(lock);
  save_rules();
  return ec::kBlOk;
}

// ---- adding and removing -----------------------------------------------------

void IIpBlackListManager::log_add(const IpScope& scope) {
  char start[kAddressText];
  char end[kAddressText];
  format_address(scope.start_ip, start);
  format_address(scope.end_ip, end);
  log.write_log(kAddLine, start, end, scope.time_out);
}

int IIpBlackListManager::add_one(const IpScope& scope) {
  IIpRuleSet* set = rules();
  return set != nullptr ? set->add_scope(&scope) : kStatusNotOpen;
}

ec::EC IIpBlackListManager::add_refused(int status) {
  if (status == kStatusNotOpen) return ec::kBlNotOpen;
  log.write_log("%s", kAddFailed);
  return ec::kBlAddFailed;
}

void IIpBlackListManager::save_rules() {
  IIpRuleSet* set = rules();
  if (set != nullptr) set->save_persis(rule_path.c_str());
}

ec::EC IIpBlackListManager::add_ip_scope_into_blacklist(ICommand*, const IpScope& scope) {
  log_add(scope);
  WriteGuard guard(lock);
  int status = add_one(scope);
  if (status != kStatusOk) return add_refused(status);
  if (scope.time_out == 0 && !rule_path.empty()) save_rules();
  return ec::kBlOk;
}

ec::EC IIpBlackListManager::add_ip_scope_into_blacklist2(ICommand*,
                                                         const std::vector<IpScope>& scopes) {
  if (scopes.empty()) return ec::kBlOk;
  WriteGuard guard(lock);
  ec::EC result = ec::kBlOk;
  bool persistent_added = false;
  for (const IpScope& scope : scopes) {
    log_add(scope);
    int status = add_one(scope);
    if (status != kStatusOk) {
      result = add_refused(status);
      break;
    }
    if (scope.time_out == 0) persistent_added = true;
  }
  if (persistent_added && !rule_path.empty()) save_rules();
  return result;
}

ec::EC IIpBlackListManager::del_ip_scope_into_blacklist(ICommand*, const IpScope& scope) {
  IIpRuleSet* set = rules();
  int status = set != nullptr ? set->del_scope(&scope) : kStatusNotOpen;
  if (status != kStatusOk) return simple_result(status);
  // The filter matches the range by its start and end only, so the entry
  // removed may have been persistent whatever time-out the caller gave:
  // the rule file is rewritten after every removal.
  if (!rule_path.empty()) {
    WriteGuard guard(lock);
    save_rules();
  }
  return ec::kBlOk;
}

// ---- queries -----------------------------------------------------------------

ec::EC IIpBlackListManager::run_query(QueryOp op, SendBatch send, ICommand* command,
                                      std::vector<IpScope>& out) {
  IIpRuleSet* set = rules();
  if (set == nullptr) return ec::kBlNotOpen;
  unsigned int needed = 0;
  int status = (set->*op)(nullptr, 0, needed);
  if (status == kStatusNotOpen) return ec::kBlNotOpen;
  if (status == kStatusOk) return ec::kBlOk;
  if (status != kStatusTooSmall) return ec::kBlQueryFailed;

  std::unique_ptr<unsigned char[]> buffer;
  unsigned int used = 0;
  for (int attempt = 1;; ++attempt) {
    buffer.reset(new (std::nothrow) unsigned char[needed == 0 ? 1 : needed]);
    if (!buffer) return ec::kBlNoMemory;
    used = 0;
    status = (set->*op)(buffer.get(), needed, used);
    if (status == kStatusOk) break;
    // Entries added since the list was sized: size it again.
    if (status == kStatusTooSmall && used > needed && attempt < kQueryAttempts) {
      needed = used;
      continue;
    }
    return status == kStatusNotOpen ? ec::kBlNotOpen : ec::kBlQueryFailed;
  }

  std::size_t records = std::min<std::size_t>(used, needed) / kRecordSize;
  for (std::size_t i = 0; i < records; ++i) {
    IpScope scope;
    std::memcpy(&scope, buffer.get() + i * kRecordSize, kRecordSize);
    out.push_back(scope);
    if (out.size() < kReplyBatch) continue;
    ec::EC sent = realize != nullptr ? send(realize, command, out) : ec::kFwBadArgument;
    out.clear();
    // A reply too long to send comes back with bit 31 set; it was not sent.
    if (ec::failed(sent) || sent == ec::kRpcReplyTooLong) return ec::kBlSendFailed;
  }
  return ec::kBlOk;
}

ec::EC IIpBlackListManager::query_ip_blacklist(ICommand* command, std::vector<IpScope>& out) {
  return run_query(
      &IIpRuleSet::query_all,
      [](CIfaceRealize_IIpBlackListManager* r, ICommand* c, std::vector<IpScope>& v) {
        return r->ret_query_ip_blacklist(c, ec::kBlOk, v);
      },
      command, out);
}

ec::EC IIpBlackListManager::query_ip_temp_blacklist(ICommand* command, std::vector<IpScope>& out) {
  return run_query(
      &IIpRuleSet::query_temp,
      [](CIfaceRealize_IIpBlackListManager* r, ICommand* c, std::vector<IpScope>& v) {
        return r->ret_query_ip_temp_blacklist(c, ec::kBlOk, v);
      },
      command, out);
}

ec::EC IIpBlackListManager::query_ip_persis_blacklist(ICommand* command,
                                                      std::vector<IpScope>& out) {
  return run_query(
      &IIpRuleSet::query_persis,
      [](CIfaceRealize_IIpBlackListManager* r, ICommand* c, std::vector<IpScope>& v) {
        return r->ret_query_ip_persis_blacklist(c, ec::kBlOk, v);
      },
      command, out);
}

}  // namespace rpc
