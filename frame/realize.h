// The server side of an RPC interface, written once.
//
// An interface's realization is a class of fixed shape:
//
//   class CIfaceRealize_IFoo : public rpc::CIfaceRealize<CIfaceRealize_IFoo, IFoo> {
//    public:
//     static rpc::MethodTable<CIfaceRealize_IFoo> methods();  // the method table
//     static const rpc::IfaceInfo kIface;                      // the attribute texts
//     RPC_STUBS(get_bar)   // cf_get_bar, ret_get_bar
//     ...
//   };
//
// The implementation IFoo is a plain class with a public member
// `CIfaceRealize_IFoo* realize` (set by init), `ec::EC init(void*)`,
// `void release()`, and one method per interface method:
//   ec::EC get_bar(rpc::ICommand* command, const In&... inputs, Out&... outputs);
// Inputs are const references, outputs plain references, inputs first. Their
// types are those of frame/marshal.h; the stubs are generated from them.
#ifndef FRAME_REALIZE_H_
#define FRAME_REALIZE_H_

#include <cstddef>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "frame/ec.h"
#include "frame/fwbase.h"
#include "frame/marshal.h"
#include "frame/rpc.h"

namespace rpc {

// Where a stub was generated, for the failure log line.
struct StubSite {
  const char* function;
  const char* file;
  int line;
  const void* object;
};

// ---- the method's types ---------------------------------------------------------

template <class T>
struct is_input_arg : std::false_type {};
template <class T>
struct is_input_arg<const T&> : std::true_type {};

template <class M>
struct MethodTraits;

template <class C, class... Args>
struct MethodTraits<ec::EC (C::*)(ICommand*, Args...)> {
  typedef C Class;
  static constexpr std::size_t kArgs = sizeof...(Args);
  static constexpr bool kIsInput[sizeof...(Args) + 1] = {is_input_arg<Args>::value..., false};
  typedef std::tuple<typename std::decay<Args>::type...> Values;
  static_assert(((std::is_reference<Args>::value) && ...),
                "RPC methods take their inputs by const reference and outputs by reference");

  static constexpr std::size_t count_inputs() {
    std::size_t n = 0;
    while (n < kArgs && kIsInput[n]) ++n;
    return n;
  }
  static constexpr std::size_t kInputs = count_inputs();
  static constexpr bool inputs_first() {
    for (std::size_t i = kInputs; i < kArgs; ++i)
      if (kIsInput[i]) return false;
    return true;
  }
  static_assert(inputs_first(), "RPC methods list their inputs before their outputs");

  static std::string signature() {
    std::string out = "(";
    append_types<0, kInputs>(out);
    out += ")->(";
    append_types<kInputs, kArgs>(out);
    out += ")";
    return out;
  }

 private:
  template <std::size_t I, std::size_t End>
  static void append_types(std::string& out) {
    if constexpr (I < End) {
      if (I > 0 && I != kInputs) out += ',';
      append_signature<typename std::tuple_element<I, Values>::type>(out);
      append_types<I + 1, End>(out);
    }
  }
};

template <auto Method>
std::string signature_of() {
  return MethodTraits<decltype(Method)>::signature();
}

// ---- the interface's description ---------------------------------------------

struct IfaceInfo {
  const char* name;
  const char* id;
  const char* description;
};

template <class Derived>
struct MethodEntry {
  const char* name;
  const char* description;
  ec::EC (Derived::*func)(IRequest*, fwbase::IDataBlock*&, ICommand*);
  std::string (*signature)();
};

template <class Derived>
struct MethodTable {
  const MethodEntry<Derived>* entries;
  std::size_t count;
};

// ---- the realization -------------------------------------------------------------

template <class Derived, class ImplT>
class CIfaceRealize : public IIfaceRealize {
 public:
  typedef ImplT Impl;
  typedef ec::EC (Derived::*StubFn)(IRequest*, fwbase::IDataBlock*&, ICommand*);

  // One entry of the method table.
  struct FInfo {
    StubFn func;
    FAtt att;
  };

  CIfaceRealize() = default;
  CIfaceRealize(const CIfaceRealize&) = delete;
  CIfaceRealize& operator=(const CIfaceRealize&) = delete;

  ec::EC init(void* argument) override {
    iface_att.name = Derived::kIface.name;
    iface_att.id = Derived::kIface.id;
    iface_att.description = Derived::kIface.description;
    iface_att.extra.clear();
    funcs.clear();
    MethodTable<Derived> table = Derived::methods();
    for (std::size_t i = 0; i < table.count; ++i) {
      const MethodEntry<Derived>& entry = table.entries[i];
      FInfo info;
      info.func = entry.func;
      info.att.name = entry.name;
      info.att.description = entry.description;
      info.att.signature = entry.signature();
      funcs.insert(std::make_pair(std::string(entry.name), info));
    }
    ec::EC code =
        fwbase::IFWBase::instance()->global_env()->query("obj.fws.rpc", rpc_service);
    if (ec::failed(code)) {
      rpc_service = nullptr;
      return code;
    }
    impl.realize = static_cast<Derived*>(this);
    code = impl.init(argument);
    if (ec::failed(code)) {
      rpc_service->release();
      rpc_service = nullptr;
    }
    return code;
  }

  void release() override {
    impl.release();
    if (rpc_service != nullptr) rpc_service->release();
    rpc_service = nullptr;
    funcs.clear();
  }

  const IAtt* iatt() const override { return &iface_att; }

  ec::EC fatts(ex_std::vector<const FAtt*>& out) const override {
    out.clear();
    out.reserve(funcs.size());
    for (const auto& entry : funcs) out.push_back(&entry.second.att);
    return ec::kRpcOk;
  }

  ec::EC call_func(const fwbase::IDataBlock* request, fwbase::IDataBlock*& reply,
                   ICommand* command) override {
    IRequest* req = rpc_service != nullptr ? rpc_service->factory()->create_request("") : nullptr;
    if (req == nullptr) return ec::kRpcCreateRequest;
    // A block shorter than its header never reaches the parser.
    std::size_t length = request != nullptr ? request->length() : 0;
    if (length < 4 || length < 4 + static_cast<std::size_t>(request->data()[2])) {
      req->release();
      return ec::kRpcParse;
    }
    std::size_t skip = 4 + static_cast<std::size_t>(request->data()[2]);
    if (!req->parse(request->data() + skip, length - skip)) {
      req->release();
      return ec::kRpcParse;
    }
    typename std::map<std::string, FInfo>::const_iterator found = funcs.find(req->method());
    if (found == funcs.end()) {
      req->release();
      return ec::kRpcNoMethod;
    }
    ec::EC code = (static_cast<Derived*>(this)->*(found->second.func))(req, reply, command);
    req->release();
    return code;
  }

 protected:
  // cf_<method>: unpack, call, pack into `reply`.
  template <auto Method>
  ec::EC run_stub(IRequest* request, fwbase::IDataBlock*& reply, ICommand* command,
                  const StubSite& site) {
    typedef MethodTraits<decltype(Method)> Traits;
    typename Traits::Values values{};
    IParams* args = request->params();
    if (!unpack_inputs<Traits, Traits::kInputs>(args, values)) return ec::kRpcMissingArg;
    ec::EC code = call_impl<Method>(command, values,
                                    std::make_index_sequence<Traits::kArgs>());
    return make_reply<Traits>(command, code, values, reply, site);
  }

  // ret_<method>: pack `outputs` into a block of its own and send it as an
  // intermediate reply. Vector outputs come back empty.
  template <auto Method, class... Outs>
  ec::EC run_ret(ICommand* command, ec::EC code, const StubSite& site, Outs&... outputs) {
    typedef MethodTraits<decltype(Method)> Traits;
    static_assert(sizeof...(Outs) == Traits::kArgs - Traits::kInputs,
                  "ret_ takes exactly the method's outputs");
    std::tuple<Outs&...> refs(outputs...);
    fwbase::IDataBlock* block = nullptr;
    ec::EC made = pack_block<0>(command, code, refs, block, site);
    if (block == nullptr) return made;
    if (command == nullptr) {  // nobody to send it to
      block->release();
      return ec::kFwBadArgument;
    }
    return command->send(made, block);
  }

  Impl impl;
  std::map<std::string, FInfo> funcs;
  IAtt iface_att;
  IRpcService* rpc_service = nullptr;

 private:
  // Pops the inputs, last first.
  template <class Traits, std::size_t I>
  static bool unpack_inputs(IParams* args, typename Traits::Values& values) {
    if constexpr (I == 0) {
      return true;
    } else {
      if (args == nullptr) return false;
      if (!unpack_value(args->pop(), std::get<I - 1>(values))) return false;
      return unpack_inputs<Traits, I - 1>(args, values);
    }
  }

  template <auto Method, class Values, std::size_t... I>
  ec::EC call_impl(ICommand* command, Values& values, std::index_sequence<I...>) {
    return (impl.*Method)(command, std::get<I>(values)...);
  }

  template <class Traits>
  ec::EC make_reply(ICommand* command, ec::EC code, typename Traits::Values& values,
                    fwbase::IDataBlock*& reply, const StubSite& site) {
    fwbase::IDataBlock* block = nullptr;
    ec::EC made = pack_block<Traits::kInputs>(command, code, values, block, site);
    if (block == nullptr) return made;
    reply = block;
    return ec::kRpcOk;
  }

  // Packs the outputs (tuple elements from First on) into a reply block.
  // With `block` set, returns the allocator's success code; otherwise a
  // failure code or kRpcReplyTooLong.
  // Whatever happens, record strings not handed over are freed and vector
  // outputs emptied.
  template <std::size_t First, class Tuple>
  ec::EC pack_block(ICommand* command, ec::EC code, Tuple& values, fwbase::IDataBlock*& block,
                    const StubSite& site) {
    block = nullptr;
    ec::EC result = pack_and_serialize<First>(command, code, values, block, site);
    discard_outputs<First>(values);
    return result;
  }

  template <std::size_t First, class Tuple>
  ec::EC pack_and_serialize(ICommand* command, ec::EC code, Tuple& values,
                            fwbase::IDataBlock*& block, const StubSite& site) {
    IRpcFactory* factory = rpc_service->factory();
    IReply* reply = factory->create_reply(command, code);
    if (reply == nullptr) return ec::kRpcCreateReply;
    if (ec::succeeded(code)) {
      PackStatus status = pack_outputs<First>(factory, reply->results(), values);
      if (status != kPacked) {
        reply->release();
        return status == kListFailed ? ec::kRpcCreateList : ec::kRpcCreateValue;
      }
    }
    std::size_t size = reply->size();
    if (size > kMaxReplySize) {
      reply->release();
      log_too_long(size, site);
      return ec::kRpcReplyTooLong;
    }
    ec::EC allocated = fwbase::IFWBase::instance()->block_allocator()->alloc(block, size);
    if (ec::failed(allocated) || block == nullptr) {
      block = nullptr;
      reply->release();
      return ec::failed(allocated) ? allocated : ec::kFwNoMemory;
    }
    if (reply->serialize(block->buffer(), size) != size || !block->set_length(size)) {
      reply->release();
      block->release();
      block = nullptr;
      return ec::kRpcSizeMismatch;
    }
    reply->release();
    return allocated;
  }

  template <std::size_t I, class Tuple>
  static PackStatus pack_outputs(IRpcFactory* factory, IParams* results, Tuple& values) {
    if constexpr (I == std::tuple_size<Tuple>::value) {
      return kPacked;
    } else {
      if (results == nullptr) return kListFailed;
      typedef typename std::decay<typename std::tuple_element<I, Tuple>::type>::type T;
      PackStatus status = pack_value<T>(factory, results, std::get<I>(values));
      if (status != kPacked) return status;
      return pack_outputs<I + 1>(factory, results, values);
    }
  }

  template <std::size_t I, class Tuple>
  static void discard_outputs(Tuple& values) {
    if constexpr (I < std::tuple_size<Tuple>::value) {
      discard_output(std::get<I>(values));
      discard_outputs<I + 1>(values);
    }
  }

  static void log_too_long(std::size_t size, const StubSite& site) {
    if (!(fwbase::IRunLog::ms_type_sign & fwbase::IRunLog::kFailure)) return;
    char* text = fwbase::IRunLog::FormatStr("请求包数据超长:%d(B)", static_cast<int>(size));
    char* location = fwbase::IRunLog::FormatStr(
        "this(0x%x) %s %s(%d) CT:%s %s",
        static_cast<unsigned>(reinterpret_cast<std::size_t>(site.object)), site.function,
        site.file, site.line, __DATE__, __TIME__);
    fwbase::IFWBase::instance()->run_log()->write(fwbase::IRunLog::kFailure, text, location);
    std::free(text);
    std::free(location);
  }
};

}  // namespace rpc

// The pair of stubs of one method, inside the realization class:
//   ec::EC cf_<method>(rpc::IRequest*, fwbase::IDataBlock*& reply, rpc::ICommand*)
//   ec::EC ret_<method>(rpc::ICommand*, ec::EC code, outputs&...)
#define RPC_STUBS(method)                                                                      \
  ec::EC cf_##method(::rpc::IRequest* request, ::fwbase::IDataBlock*& reply,                    \
                     ::rpc::ICommand* command) {                                               \
    return this->template run_stub<&Impl::method>(                                             \
        request, reply, command, ::rpc::StubSite{__PRETTY_FUNCTION__, __FILE__, __LINE__, this}); \
  }                                                                                            \
  template <class... Outs>                                                                     \
  ec::EC ret_##method(::rpc::ICommand* command, ec::EC code, Outs&... outputs) {               \
    return this->template run_ret<&Impl::method>(                                              \
        command, code, ::rpc::StubSite{__PRETTY_FUNCTION__, __FILE__, __LINE__, this},         \
        outputs...);                                                                           \
  }

// One row of a method table: name, description, stub and signature.
#define RPC_METHOD(Realize, method, description) \
  { #method, description, &Realize::cf_##method, &::rpc::signature_of<&Realize::Impl::method> }

// The plug-in's exported entry: the realization is a function-local static,
// built on the first call and the same object on every call.
#define RPC_EXPORT_REALIZE(Iface)                                          \
  extern "C" AGENT_EXPORT ::rpc::IIfaceRealize* rpc_ireal_##Iface() {     \
    static ::rpc::CIfaceRealize_##Iface realize;                          \
    return &realize;                                                      \
  }

#endif  // FRAME_REALIZE_H_
