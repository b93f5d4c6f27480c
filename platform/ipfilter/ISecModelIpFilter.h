// The packet-filter module as its users see it: one module object per
// process, reached through ISecModelIpFilter::instance(), and the rule set it
// owns. The rule set in memory is the authority; the module mirrors it into
// the kernel where it can (see the library's README section).
//
// Every rule-set operation returns a status:
//   0   success
//   32  a query buffer is too small; `size` then holds the bytes needed
//   55  the module is not open (before open() or after close())
//   any other value: failure (kIpfBadArgument, kIpfNotFound, ...)
//
// Ranges are rpc::IpScope records (12 bytes: start_ip, end_ip, time_out, in
// host order, a.b.c.d being (a << 24) | (b << 16) | (c << 8) | d). time_out is
// in seconds; 0 marks a persistent entry.
#ifndef PLATFORM_IPFILTER_ISECMODELIPFILTER_H_
#define PLATFORM_IPFILTER_ISECMODELIPFILTER_H_

#include "frame/export.h"
#include "platform/ipfilter/IpScope.h"

namespace ipfilter {

const int kIpfOk = 0;
const int kIpfNotFound = 2;      // del_scope of a range that is not there
const int kIpfIo = 5;            // the rule file could not be written
const int kIpfNoMemory = 12;
const int kIpfBadArgument = 22;  // null pointer, start above end, 0.0.0.0 or 255.255.255.255
const int kIpfBufferTooSmall = 32;
const int kIpfNotOpen = 55;

}  // namespace ipfilter

// The rule set. Thread-safe: every operation may be called from any thread.
class AGENT_EXPORT IIpRuleSet {
 public:
  virtual int start_filter() = 0;
  virtual int stop_filter() = 0;
  // Adds a range, or updates it (time-out, temporary or persistent) when the
  // same start and end are already present.
  virtual int add_scope(const rpc::IpScope* scope) = 0;
  // Removes the range with the same start and end; kIpfNotFound when absent.
  virtual int del_scope(const rpc::IpScope* scope) = 0;
  virtual int start_persis() = 0;
  virtual int stop_persis() = 0;
  virtual int clear_all() = 0;
  virtual int clear_temp() = 0;
  virtual int clear_persis() = 0;
  // Fill `buffer` (capacity bytes) with consecutive 12-byte records and set
  // `size` to the bytes used. With too small a buffer (including none):
  // kIpfBufferTooSmall and `size` = bytes needed; an empty list gives 0 and
  // size 0. Expired temporary entries are never returned.
  virtual int query_all(void* buffer, unsigned int capacity, unsigned int& size) = 0;
  virtual int query_temp(void* buffer, unsigned int capacity, unsigned int& size) = 0;
  virtual int query_persis(void* buffer, unsigned int capacity, unsigned int& size) = 0;
  // Writes the persistent entries to `path` (temporary file, flush, rename).
  virtual int save_persis(const char* path) = 0;

 protected:
  virtual ~IIpRuleSet() {}
};

class AGENT_EXPORT ISecModelIpFilter {
 public:
  // The process's module object; never null, never freed.
  static ISecModelIpFilter* instance();

  // 0 on success.
  virtual int init() = 0;
  // Loads the persistent entries of the agent's rule file and brings the
  // kernel in line with the rule set; 0 on success.
  virtual int open() = 0;
  virtual int close() = 0;
  virtual void release() = 0;
  virtual IIpRuleSet* rules() = 0;

 protected:
  virtual ~ISecModelIpFilter() {}
};

#endif  // PLATFORM_IPFILTER_ISECMODELIPFILTER_H_
