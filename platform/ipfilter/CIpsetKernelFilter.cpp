#include "platform/ipfilter/CIpsetKernelFilter.h"

#include "platform/ipfilter/CIpRange.h"

namespace ipfilter {

namespace {

// Suffix of the set a rebuild fills before swapping it in.
const char kNewSuffix[] = "_new";
const uint32_t kMinHashSize = 1024;
const uint32_t kMaxHashSize = 1u << 20;

uint32_t hash_size_for(std::size_t elements) {
  uint32_t size = kMinHashSize;
  while (size < elements && size < kMaxHashSize) size <<= 1;
  return size;
}

}  // namespace

CIpsetKernelFilter::CIpsetKernelFilter(const Names& names) : names_(names), chain_(names.chain) {}

const std::string& CIpsetKernelFilter::name(KernelSet set) const {
  return set == KernelSet::kTemp ? names_.temp_set : names_.persis_set;
}

std::vector<IpsetElement> CIpsetKernelFilter::elements(const std::vector<KernelRange>& ranges) {
  std::vector<IpsetElement> out;
  std::vector<Cidr> cidrs;
  for (const KernelRange& range : ranges) {
    cidrs.clear();
    CIpRange::to_cidrs(range.start, range.end, cidrs);
    for (const Cidr& c : cidrs) out.push_back(IpsetElement{c.ip, c.prefix, range.timeout});
  }
  return out;
}

bool CIpsetKernelFilter::open() {
  if (socket_.open() != 0) return false;
  if (socket_.create(names_.temp_set, true, kMinHashSize) != 0 ||
      socket_.create(names_.persis_set, false, kMinHashSize) != 0)
    return false;
  return chain_.ensure();
}

bool CIpsetKernelFilter::replace(KernelSet set, const std::vector<KernelRange>& ranges) {
  const bool with_timeout = set == KernelSet::kTemp;
  const std::string fresh = name(set) + kNewSuffix;
  const std::vector<IpsetElement> members = elements(ranges);
  socket_.destroy(fresh);  // left over from an interrupted rebuild
  if (socket_.create(fresh, with_timeout, hash_size_for(members.size())) != 0) return false;
  if (socket_.add(fresh, members, with_timeout) != 0 || socket_.swap(fresh, name(set)) != 0) {
    socket_.destroy(fresh);
    return false;
  }
  return socket_.destroy(fresh) == 0;  // the former content
}

bool CIpsetKernelFilter::add(KernelSet set, const std::vector<KernelRange>& ranges) {
  return socket_.add(name(set), elements(ranges), set == KernelSet::kTemp) == 0;
}

bool CIpsetKernelFilter::remove(KernelSet set, uint32_t start, uint32_t end) {
  return socket_.del(name(set), elements({KernelRange{start, end, 0}})) == 0;
}

bool CIpsetKernelFilter::flush(KernelSet set) { return socket_.flush(name(set)) == 0; }

bool CIpsetKernelFilter::apply_switches(bool filter_on, bool persis_on) {
  std::vector<std::string> sets;
  if (filter_on) {
    sets.push_back(names_.temp_set);
    if (persis_on) sets.push_back(names_.persis_set);
  }
  return chain_.set_rules(sets);
}

void CIpsetKernelFilter::remove_kernel_state() {
  chain_.remove();
  if (socket_.open() != 0) return;
  for (const std::string& set : {names_.temp_set, names_.persis_set}) {
    socket_.destroy(set + kNewSuffix);
    socket_.destroy(set);
  }
}

}  // namespace ipfilter
