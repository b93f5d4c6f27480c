// A reply: a result code and the results list.
#ifndef PLATFORM_BASE_CREPLY_H_
#define PLATFORM_BASE_CREPLY_H_

#include <cstddef>

#include "frame/export.h"
#include "frame/rpc.h"
#include "platform/base/CParams.h"

namespace rpc {

// Encoding: u32 code, then the results list (see CParamsCodec). results()
// is never null and stays the same object for the reply's life. The command
// is only remembered, not owned. Not thread-safe.
class AGENT_EXPORT CReply : public IReply {
 public:
  // Null when allocation fails.
  static CReply* create(ICommand* command, ec::EC code);

  // Writes size() bytes and returns size(); writes nothing and returns 0
  // when `size` is smaller, `buffer` is null or size() is 0.
  std::size_t serialize(void* buffer, std::size_t size) const override;
  // The exact size; 0 when the results cannot be encoded.
  std::size_t size() const override;
  void release() override;
  IParams* results() override { return results_; }

  ec::EC code() const override { return code_; }
  // Replaces code and results on success. On malformed input (or out of
  // memory) returns false and leaves code 0 and an empty results list.
  bool parse(const void* data, std::size_t length) override;

  ICommand* command() const { return command_; }

  CReply(const CReply&) = delete;
  CReply& operator=(const CReply&) = delete;

 private:
  CReply(ICommand* command, ec::EC code, CParams* results);
  ~CReply() override;

  ICommand* command_;  // not owned
  ec::EC code_;
  CParams* results_;  // owned, never null
};

}  // namespace rpc

#endif  // PLATFORM_BASE_CREPLY_H_
