#ifndef TESTS_TEST_IFACE_CIFACEREALIZE_ITESTIFACE_H_
#define TESTS_TEST_IFACE_CIFACEREALIZE_ITESTIFACE_H_

#include "frame/realize.h"
#include "tests/test_iface/ITestIface.h"

namespace rpc {

class CIfaceRealize_ITestIface : public CIfaceRealize<CIfaceRealize_ITestIface, ITestIface> {
 public:
  static const IfaceInfo kIface;
  static MethodTable<CIfaceRealize_ITestIface> methods();

  // For in-process tests.
  ITestIface& implementation() { return impl; }

  RPC_STUBS(echo_u32)
  RPC_STUBS(add_u64)
  RPC_STUBS(echo_text)
  RPC_STUBS(echo_flag)
  RPC_STUBS(echo_record)
  RPC_STUBS(describe)
  RPC_STUBS(join_records)
  RPC_STUBS(stream_records)
  RPC_STUBS(fail_with)
  RPC_STUBS(fail_records)
  RPC_STUBS(sleep_ms)
  RPC_STUBS(big_reply)
  RPC_STUBS(calls)
};

}  // namespace rpc

#endif  // TESTS_TEST_IFACE_CIFACEREALIZE_ITESTIFACE_H_
