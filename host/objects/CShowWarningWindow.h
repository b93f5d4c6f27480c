// "obj.m.show.warning.window": shows warnings on the host's standard output
// and in the system log.
#ifndef HOST_OBJECTS_CSHOWWARNINGWINDOW_H_
#define HOST_OBJECTS_CSHOWWARNINGWINDOW_H_

#include <memory>

#include "frame/host_objects.h"
#include "host/objects/CWarningPrinter.h"

namespace host {

// A facade over one shared CWarningPrinter: clones share the printer, which
// lives until the last clone is released. Safe for concurrent use.
class CShowWarningWindow : public IObj_ShowWarningWindow {
 public:
  explicit CShowWarningWindow(std::shared_ptr<CWarningPrinter> printer);

  int version() const override { return 1; }
  IObject* clone() const override;  // null when memory is short
  void release() override { delete this; }

  // Prints one line: ec::kFwOk, or ec::kFwNoMemory when memory is short.
  ec::EC show_warning(std::string time_text, std::string display_type,
                      std::string text) override;

 private:
  std::shared_ptr<CWarningPrinter> printer_;
};

}  // namespace host

#endif  // HOST_OBJECTS_CSHOWWARNINGWINDOW_H_
