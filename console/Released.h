// Owning pointers for framework objects that are freed with release().
#ifndef CONSOLE_RELEASED_H_
#define CONSOLE_RELEASED_H_

#include <memory>

namespace console {

template <class T>
struct ReleaseDeleter {
  void operator()(T* object) const {
    if (object != nullptr) object->release();
  }
};

template <class T>
using Released = std::unique_ptr<T, ReleaseDeleter<T> >;

}  // namespace console

#endif  // CONSOLE_RELEASED_H_
