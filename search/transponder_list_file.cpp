#include "search/transponder_list_file.h"

namespace velq {
namespace {

constexpr const char* kLineEnd = "\r\n";

// Zero-padded to `width` digits; wider numbers are written whole.
std::string Padded(int value, size_t width) {
  std::string digits = std::to_string(value);
  if (value >= 0 && digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

void AppendSection(std::string& out, const char* name) {
  out += '[';
  out += name;
  out += ']';
  out += kLineEnd;
}

void AppendKey(std::string& out, size_t key, const std::string& value) {
  out += std::to_string(key);
  out += '=';
  out += value;
  out += kLineEnd;
}

}  // namespace

std::string TransponderListFileName(const std::string& satPositionCode) { return satPositionCode + ".ini"; }

std::string CreatedByLine(const LocalDateTime& created, char timeSeparator) {
  std::string line = ";    [Created by Velq Transponders Updater ";
  line += Padded(created.year, 4) + '-' + Padded(created.month, 2) + '-' + Padded(created.day, 2);
  line += ' ';
  line += Padded(created.hour, 2) + timeSeparator + Padded(created.minute, 2) + timeSeparator +
          Padded(created.second, 2);
  line += ']';
  line += kLineEnd;
  return line;
}

std::string TransponderListSections(const TransponderList& list) {
  std::string out;
  AppendSection(out, "SATTYPE");
  AppendKey(out, 1, list.satPositionCode);
  AppendKey(out, 2, list.satPositionName);
  AppendSection(out, "DVB");
  AppendKey(out, 0, std::to_string(list.entries.size()));
  for (size_t i = 0; i < list.entries.size(); ++i) AppendKey(out, i + 1, list.entries[i]);
  return out;
}

std::string TransponderListFileBytes(const TransponderList& list, const LocalDateTime& created,
                                     char timeSeparator) {
  return CreatedByLine(created, timeSeparator) + TransponderListSections(list);
}

}  // namespace velq
