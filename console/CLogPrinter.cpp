#include "console/CLogPrinter.h"

#include <cstdint>
#include <vector>

#include "host/objects/CLogStore.h"
#include "host/objects/host_objects.h"
#include "utility/CGbkConverter.h"

namespace console {

namespace {

COrderedJson text(const std::string& gbk) {
  return COrderedJson::from_string(utility::CGbkConverter::to_utf8(gbk));
}

}  // namespace

COrderedJson CLogPrinter::to_json(const SystemRadLog& log) {
  COrderedJson json = COrderedJson::object();
  json.add("source", text(log.source))
      .add("time_text", text(log.time_text))
      .add("reserved_3", COrderedJson::from_u64(log.reserved_3))
      .add("log_type", COrderedJson::from_i64(log.log_type))
      .add("reserved_5", COrderedJson::from_u64(log.reserved_5))
      .add("limit", COrderedJson::from_i64(log.limit))
      .add("value", COrderedJson::from_i64(log.value))
      .add("content", text(log.content))
      .add("report_time", COrderedJson::from_i64(static_cast<std::int64_t>(log.report_time)));
  return json;
}

bool CLogPrinter::print(const std::string& install_dir, std::size_t limit, std::ostream& out,
                        std::string& error) {
  std::vector<host::StoredLogRecord> records;
  if (!host::read_log_records(host::log_database_path(install_dir), limit, records, &error)) {
    return false;
  }
  for (const host::StoredLogRecord& record : records) out << to_json(record.log).text() << "\n";
  out.flush();
  return true;
}

}  // namespace console
