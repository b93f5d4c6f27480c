#include "host/objects/CShowWarningWindow.h"

#include <new>
#include <utility>

namespace host {

CShowWarningWindow::CShowWarningWindow(std::shared_ptr<CWarningPrinter> printer)
    : printer_(std::move(printer)) {}

fwbase::IGlobalEnv::IObject* CShowWarningWindow::clone() const {
  return new (std::nothrow) CShowWarningWindow(printer_);
}

ec::EC CShowWarningWindow::show_warning(std::string time_text, std::string display_type,
                                        std::string text) {
  try {
    printer_->show(time_text, display_type, text);
  } catch (const std::bad_alloc&) {
    return ec::kFwNoMemory;
  }
  return ec::kFwOk;
}

}  // namespace host
