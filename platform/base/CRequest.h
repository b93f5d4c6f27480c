// A request: the method name and the argument list.
#ifndef PLATFORM_BASE_CREQUEST_H_
#define PLATFORM_BASE_CREQUEST_H_

#include <cstddef>
#include <string>

#include "frame/export.h"
#include "frame/rpc.h"
#include "platform/base/CParams.h"

namespace rpc {

// Payload: u32 method-name length, the name's bytes, then the argument list
// (see CParamsCodec). params() is never null and stays the same object for
// the request's life. Not thread-safe.
class AGENT_EXPORT CRequest : public IRequest {
 public:
  static const std::size_t kMaxMethodName = 255;

  // An empty request for `method`; null when the name is longer than
  // kMaxMethodName or allocation fails.
  static CRequest* create(const std::string& method);

  // Replaces the content on success. On any failure (short or lying
  // lengths, bad type codes, too deep, trailing bytes, a name beyond
  // kMaxMethodName, out of memory) returns false and leaves the request with
  // an empty name and an empty list.
  bool parse(const void* data, std::size_t length) override;
  void release() override;
  const std::string& method() const override { return method_; }
  IParams* params() override { return params_; }

  // The exact payload size; 0 when the arguments cannot be encoded.
  std::size_t size() const override;
  // Writes size() bytes and returns size(); writes nothing and returns 0
  // when `size` is smaller, `buffer` is null or size() is 0.
  std::size_t serialize(void* buffer, std::size_t size) const override;

  CRequest(const CRequest&) = delete;
  CRequest& operator=(const CRequest&) = delete;

 private:
  CRequest(std::string method, CParams* params);
  ~CRequest() override;

  std::string method_;
  CParams* params_;  // owned, never null
};

}  // namespace rpc

#endif  // PLATFORM_BASE_CREQUEST_H_
