// The host framework as the plug-ins see it: run log, registry of named
// objects, block allocator. libbase_linux realizes it; plug-ins reach it only
// through fwbase::IFWBase::instance().
#ifndef FRAME_FWBASE_H_
#define FRAME_FWBASE_H_

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "frame/ec.h"
#include "frame/export.h"

// The framework's vector type: a std::vector with the framework's allocator,
// so vectors handed across a plug-in boundary allocate the same way.
template <class T>
struct smm_ex_allocator : std::allocator<T> {
  template <class U>
  struct rebind {
    typedef smm_ex_allocator<U> other;
  };
  smm_ex_allocator() noexcept {}
  template <class U>
  smm_ex_allocator(const smm_ex_allocator<U>&) noexcept {}
};

namespace ex_std {
template <class T>
using vector = std::vector<T, smm_ex_allocator<T> >;
}  // namespace ex_std

namespace fwbase {

// A byte block with a fixed capacity. data()/buffer() point at `capacity`
// bytes of which the first length() are meaningful. The receiver of a block
// frees it with release().
class AGENT_EXPORT IDataBlock {
 public:
  virtual void release() = 0;
  virtual const unsigned char* data() const = 0;
  virtual unsigned char* buffer() = 0;
  // Fails (returns false) beyond capacity().
  virtual bool set_length(std::size_t length) = 0;
  virtual std::size_t length() const = 0;
  virtual std::size_t capacity() const = 0;

 protected:
  virtual ~IDataBlock() {}
};

class AGENT_EXPORT IBlockAllocator {
 public:
  // Makes a block of `size` bytes capacity and length 0. Returns ec::kFwOk,
  // or a failure code with `block` set to null.
  virtual ec::EC alloc(IDataBlock*& block, std::size_t size) = 0;

 protected:
  virtual ~IBlockAllocator() {}
};

// Run log. Safe for concurrent use; write() copies both texts.
class AGENT_EXPORT IRunLog {
 public:
  // Level bits. A line of a level is built only while its bit is set.
  enum { kTrace = 1, kFailure = 8 };
  static unsigned int ms_type_sign;

  virtual void write(unsigned int level, const char* text, const char* location) = 0;

  // Formats at most 1023 characters into 1024 zeroed bytes, always
  // terminated. Null if allocation fails; the caller frees it with free().
  static char* FormatStr(const char* format, ...) __attribute__((format(printf, 1, 2))) {
    char* text = static_cast<char*>(std::calloc(1024, 1));
    if (text == nullptr) return nullptr;
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, 1024, format, args);
    va_end(args);
    text[1023] = '\0';
    return text;
  }

 protected:
  virtual ~IRunLog() {}
};

// Registry of named objects. Thread-safe.
class AGENT_EXPORT IGlobalEnv {
 public:
  // Base of every registered object.
  class AGENT_EXPORT IObject {
   public:
    virtual int version() const = 0;
    // A new object of the same kind; null when allocation fails.
    virtual IObject* clone() const = 0;
    virtual void release() = 0;
    virtual ~IObject() {}
  };

  // Keeps a clone of `object`, so callers may pass temporaries. A name
  // registered again replaces the earlier object.
  virtual ec::EC register_object(const char* name, const IObject* object) = 0;
  // Hands out a clone that the caller must release(). On failure `object`
  // is null.
  virtual ec::EC query_object(const char* name, IObject*& object) = 0;
  virtual ec::EC unregister_object(const char* name) = 0;

  // Typed convenience over query_object.
  template <class T>
  ec::EC query(const char* name, T*& object) {
    IObject* found = nullptr;
    ec::EC code = query_object(name, found);
    object = static_cast<T*>(found);
    return code;
  }

 protected:
  virtual ~IGlobalEnv() {}
};

namespace IMM {
// A module object the host initialises and releases.
class AGENT_EXPORT IBase {
 public:
  virtual ec::EC init(void* argument) = 0;
  virtual void release() = 0;
  virtual ~IBase() {}
};
}  // namespace IMM

class AGENT_EXPORT IFWBase {
 public:
  // Never null. Defined in libbase_linux.
  static IFWBase* instance();

  virtual IRunLog* run_log() = 0;
  virtual IGlobalEnv* global_env() = 0;
  virtual IBlockAllocator* block_allocator() = 0;

 protected:
  virtual ~IFWBase() {}
};

}  // namespace fwbase

// Failure location: object, function signature, source file, line, build
// date and time. The caller frees the text.
#define FW_LOCATION(obj)                                                          \
  fwbase::IRunLog::FormatStr("this(0x%x) %s %s(%d) CT:%s %s",                     \
                             static_cast<unsigned>(reinterpret_cast<std::size_t>(obj)), \
                             __PRETTY_FUNCTION__, __FILE__, __LINE__, __DATE__, __TIME__)

// Writes `text` at level 8 with the location of the calling function, while
// failure logging is on.
#define FW_LOG_FAILURE(obj, text)                                                  \
  do {                                                                             \
    if (fwbase::IRunLog::ms_type_sign & fwbase::IRunLog::kFailure) {               \
      char* fw_location_ = FW_LOCATION(obj);                                       \
      fwbase::IFWBase::instance()->run_log()->write(fwbase::IRunLog::kFailure,      \
                                                    (text), fw_location_);         \
      std::free(fw_location_);                                                     \
    }                                                                              \
  } while (0)


namespace fwbase {
// Writes "Call: " when built and "Ret: " when destroyed, at level 1, while
// call tracing is on. `location` is taken over and freed.
class CCallTrace {
 public:
  explicit CCallTrace(char* location) : location_(location) { emit("Call: "); }
  ~CCallTrace() {
    emit("Ret: ");
    std::free(location_);
  }
  CCallTrace(const CCallTrace&) = delete;
  CCallTrace& operator=(const CCallTrace&) = delete;

 private:
  void emit(const char* text) {
    if ((IRunLog::ms_type_sign & IRunLog::kTrace) && location_ != nullptr)
      IFWBase::instance()->run_log()->write(IRunLog::kTrace, text, location_);
  }
  char* location_;
};
}  // namespace fwbase

#define FW_TRACE_CALL(obj)                                                            \
  fwbase::CCallTrace fw_call_trace_(                                                  \
      (fwbase::IRunLog::ms_type_sign & fwbase::IRunLog::kTrace)                       \
          ? fwbase::IRunLog::FormatStr("this(0x%x) %s %s %d CT:%s %s",                \
                                       static_cast<unsigned>(reinterpret_cast<std::size_t>(obj)), \
                                       __PRETTY_FUNCTION__, __FILE__, __LINE__, __DATE__, __TIME__) \
          : nullptr)

#endif  // FRAME_FWBASE_H_
