// Reporting of the host's own failures.
#ifndef HOST_REPORT_H_
#define HOST_REPORT_H_

#include <string>

namespace host {

// Reports "agent_host: <text>" once: through the run log (which also shows
// it on standard error) while failure logging is on, else on standard error
// alone. Thread-safe.
void report(const std::string& text);

}  // namespace host

#endif  // HOST_REPORT_H_
