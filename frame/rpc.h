// The RPC contract between the framework and the interface realizations:
// typed parameter lists, requests, replies, the factory that makes them, the
// call context, and the realization interface the host drives.
#ifndef FRAME_RPC_H_
#define FRAME_RPC_H_

#include <cstddef>
#include <string>
#include <vector>

#include "frame/ec.h"
#include "frame/export.h"
#include "frame/fwbase.h"

namespace rpc {

// Marshalling type codes.
enum TypeCode {
  kTypeBool = 1,     // bool
  kTypeUInt32 = 7,   // unsigned int
  kTypeUInt64 = 9,   // unsigned long long
  kTypeString = 13,  // std::string
  kTypeRecord = 15,  // a record: its field list (IParams*)
  kTypeArray = 16,   // std::vector<IParams*>, one field list per element
};

// The adopt flag of IRpcFactory::create_value.
enum AdoptFlag {
  kCopy = 0,   // the framework copies the value
  kAdopt = 1,  // the framework takes over a heap std::string
};

// The largest reply (and request) block the framework carries, in bytes.
const std::size_t kMaxReplySize = 65519;

// Either a list of parameters or one typed value.
//
// A list owns what is appended to it. pop() hands out the last entry still
// on the list; the list keeps ownership, so the popped entry and whatever its
// value points to stay alive until the list is released.
class AGENT_EXPORT IParams {
 public:
  virtual void release() = 0;

  // List operations. append() takes ownership of `item`, also on failure.
  virtual bool append(IParams* item) = 0;
  virtual IParams* pop() = 0;
  // Entries not popped yet, first appended first; for walking a list
  // without consuming it.
  virtual std::size_t count() const = 0;
  virtual IParams* at(std::size_t index) const = 0;

  // Typed value: the type code (0 for a list) and a pointer to the value,
  // per TypeCode: bool*, unsigned int*, unsigned long long*, std::string*,
  // IParams* (the record's field list), std::vector<IParams*>* (arrays).
  virtual int type() const = 0;
  virtual void* value() = 0;

 protected:
  virtual ~IParams() {}
};

// The call context of one request. send() pushes an intermediate reply to
// the caller before the final one; it takes over `block` in every case.
class AGENT_EXPORT ICommand {
 public:
  virtual ec::EC send(ec::EC code, fwbase::IDataBlock* block) = 0;

 protected:
  virtual ~ICommand() {}
};

class AGENT_EXPORT IRequest {
 public:
  // Reads a payload: the method name and the argument list. False on any
  // malformed input; the request is then empty.
  virtual bool parse(const void* data, std::size_t length) = 0;
  virtual void release() = 0;
  virtual const std::string& method() const = 0;
  virtual IParams* params() = 0;

  // Client side: the payload's size and its bytes. serialize() returns the
  // bytes written, 0 when `size` is too small.
  virtual std::size_t size() const = 0;
  virtual std::size_t serialize(void* buffer, std::size_t size) const = 0;

 protected:
  virtual ~IRequest() {}
};

class AGENT_EXPORT IReply {
 public:
  // Writes the reply (its code and results); returns the bytes written, 0
  // when `size` is too small.
  virtual std::size_t serialize(void* buffer, std::size_t size) const = 0;
  virtual std::size_t size() const = 0;
  virtual void release() = 0;
  virtual IParams* results() = 0;

  // Client side: the code the reply carries, and reading a serialized reply.
  virtual ec::EC code() const = 0;
  virtual bool parse(const void* data, std::size_t length) = 0;

 protected:
  virtual ~IReply() {}
};

class AGENT_EXPORT IRpcFactory {
 public:
  // Each returns null on failure.
  virtual IRequest* create_request(const std::string& method) = 0;
  virtual IReply* create_reply(ICommand* command, ec::EC code) = 0;
  virtual IParams* create_list() = 0;
  // Codes 1, 7, 9, 13 copy the value (13 with kAdopt takes over the heap
  // std::string instead). Codes 15 and 16 always take over the lists they
  // are given (the record list, the element lists); the vector of code 16
  // itself is copied. On failure nothing is taken over.
  virtual IParams* create_value(int type, const void* value, int adopt) = 0;

 protected:
  virtual ~IRpcFactory() {}
};

// The object registered as "obj.fws.rpc".
class AGENT_EXPORT IRpcService : public fwbase::IGlobalEnv::IObject {
 public:
  virtual IRpcFactory* factory() = 0;
};

// The server side of one RPC interface, as the host drives it:
// init, iatt/fatts, call_func for every call, release before unloading.
class AGENT_EXPORT IIfaceRealize : public fwbase::IMM::IBase {
 public:
  struct IAtt {
    std::string name;
    std::string id;           // GUID, 36 lower-case characters
    std::string description;  // GBK
    std::string extra;        // always empty
  };

  struct FAtt {
    std::string name;
    std::string description;  // GBK
    // Types of the inputs and outputs, derived from the implementation
    // method, e.g. "(IpScope{start_ip:u32,end_ip:u32,time_out:u32})->()".
    // Grammar: "(" [type {"," type}] ")->(" [type {"," type}] ")" where
    // type is bool | u32 | u64 | string | Name{field:type,...} | [type].
    std::string signature;
  };

  virtual const IAtt* iatt() const = 0;
  virtual ec::EC fatts(ex_std::vector<const FAtt*>& out) const = 0;
  virtual ec::EC call_func(const fwbase::IDataBlock* request, fwbase::IDataBlock*& reply,
                           ICommand* command) = 0;
};

}  // namespace rpc

#endif  // FRAME_RPC_H_
