#include "tests/test_iface/CIfaceRealize_ITestIface.h"

namespace rpc {

const IfaceInfo CIfaceRealize_ITestIface::kIface = {
    "ITestIface", "5b0e6f3c-2a41-4c8e-9d17-0c6a2f4e8b91", "测试接口"};

MethodTable<CIfaceRealize_ITestIface> CIfaceRealize_ITestIface::methods() {
  typedef CIfaceRealize_ITestIface R;
  static const MethodEntry<R> kMethods[] = {
      RPC_METHOD(R, echo_u32, "回显数字"),
      RPC_METHOD(R, add_u64, "64位加法"),
      RPC_METHOD(R, echo_text, "回显文本"),
      RPC_METHOD(R, echo_flag, "回显开关"),
      RPC_METHOD(R, echo_record, "回显记录"),
      RPC_METHOD(R, describe, "参数顺序"),
      RPC_METHOD(R, join_records, "记录数组"),
      RPC_METHOD(R, stream_records, "分批返回记录"),
      RPC_METHOD(R, fail_with, "返回指定错误"),
      RPC_METHOD(R, fail_records, "填充后失败"),
      RPC_METHOD(R, sleep_ms, "等待"),
      RPC_METHOD(R, big_reply, "大回复"),
      RPC_METHOD(R, calls, "调用次数"),
  };
  return MethodTable<R>{kMethods, sizeof kMethods / sizeof kMethods[0]};
}

}  // namespace rpc
