#include "platform/base/CFWBase.h"

namespace fwbase {

IFWBase* IFWBase::instance() {
  static CFWBase framework;
  return &framework;
}

}  // namespace fwbase
