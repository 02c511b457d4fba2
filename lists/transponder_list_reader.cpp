#include "lists/transponder_list_reader.h"

#include <charconv>
#include <map>
#include <string_view>

namespace velq {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ParseKey(std::string_view text, unsigned& key) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), key);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

TransponderList ParseTransponderList(const std::string& bytes) {
  TransponderList list;
  std::map<unsigned, std::string> entries;  // a key written twice keeps its last value, as INI readers do
  std::string_view section;
  std::string_view rest(bytes);
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    const std::string_view line = Trimmed(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const auto equals = line.find('=');
    unsigned key = 0;
    if (equals == std::string_view::npos || !ParseKey(Trimmed(line.substr(0, equals)), key)) continue;
    const std::string value(line.substr(equals + 1));
    if (section == "SATTYPE" && key == 1) list.satPositionCode = Trimmed(value);
    if (section == "SATTYPE" && key == 2) list.satPositionName = value;
    if (section == "DVB" && key >= 1) entries[key] = value;
  }
  for (auto& [key, text] : entries) list.entries.push_back(std::move(text));
  return list;
}

}  // namespace velq
