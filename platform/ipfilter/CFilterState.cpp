#include "platform/ipfilter/CFilterState.h"

#include <fstream>
#include <sstream>

#include "utility/CAtomicFile.h"

namespace ipfilter {

namespace {

const std::size_t kMaxStateBytes = 4096;

}  // namespace

Switches CFilterState::parse(const std::string& text) {
  Switches switches;
  std::istringstream in(text);
  std::string name, value;
  while (in >> name >> value) {
    if (value != "on" && value != "off") continue;
    if (name == "filter") switches.filter_on = value == "on";
    if (name == "persis") switches.persis_on = value == "on";
  }
  return switches;
}

std::string CFilterState::format(const Switches& switches) {
  return std::string("filter ") + (switches.filter_on ? "on" : "off") + "\npersis " +
         (switches.persis_on ? "on" : "off") + "\n";
}

Switches CFilterState::load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return Switches();
  std::string text(kMaxStateBytes, '\0');
  in.read(&text[0], static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return parse(text);
}

bool CFilterState::save(const std::string& path, const Switches& switches) {
  return utility::CAtomicFile::replace(path, format(switches), 0640,
                                       utility::CAtomicFile::ModeRule::kExact);
}

}  // namespace ipfilter
