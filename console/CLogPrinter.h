// Prints the log records the agent stored in its database, newest first,
// one JSON line per record. Reads the database directly, so it works
// whether the agent runs or not.
//
// Stateless; safe from several threads as long as they use distinct streams.
#ifndef CONSOLE_CLOGPRINTER_H_
#define CONSOLE_CLOGPRINTER_H_

#include <cstddef>
#include <ostream>
#include <string>

#include "console/COrderedJson.h"
#include "frame/host_objects.h"

namespace console {

class CLogPrinter {
 public:
  // One record: every field by name in declaration order, texts converted
  // from GBK to UTF-8.
  static COrderedJson to_json(const SystemRadLog& log);

  // Prints at most `limit` records of the database below `install_dir`.
  // A database that does not exist prints nothing and counts as success.
  // False, with `error` naming the file and the reason, when it cannot be
  // read; nothing is printed then.
  static bool print(const std::string& install_dir, std::size_t limit, std::ostream& out,
                    std::string& error);
};

}  // namespace console

#endif  // CONSOLE_CLOGPRINTER_H_
