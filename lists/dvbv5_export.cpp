#include "lists/dvbv5_export.h"

#include <cctype>
#include <map>
#include <optional>
#include <string_view>

namespace velq {
namespace {

std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (;;) {
    const auto comma = text.find(',');
    fields.push_back(text.substr(0, comma));
    if (comma == std::string_view::npos) return fields;
    text.remove_prefix(comma + 1);
  }
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::optional<std::string> Lookup(const std::map<std::string_view, std::string_view>& names, std::string_view key) {
  const auto found = names.find(key);
  if (found == names.end()) return std::nullopt;
  return std::string(found->second);
}

// An entry F,P,S[,C],D,M as the decoder writes it; nullopt for anything else.
std::optional<std::string> ChannelBlock(const std::string& entry) {
  static const std::map<std::string_view, std::string_view> kPolarisations = {
      {"H", "HORIZONTAL"}, {"V", "VERTICAL"}, {"left", "LEFT"}, {"right", "RIGHT"}};
  static const std::map<std::string_view, std::string_view> kCodeRates = {
      {"12", "1/2"}, {"23", "2/3"}, {"34", "3/4"}, {"56", "5/6"}, {"78", "7/8"},
      {"89", "8/9"}, {"35", "3/5"}, {"45", "4/5"}, {"910", "9/10"}};
  static const std::map<std::string_view, std::string_view> kSystems = {{"DVB-S", "DVBS"}, {"DVB-S2", "DVBS2"}};
  static const std::map<std::string_view, std::string_view> kModulations = {
      {"QPSK", "QPSK"}, {"8PSK", "PSK/8"}, {"16-QAM", "QAM/16"}, {"Auto", "QAM/AUTO"}};

  const std::vector<std::string_view> f = Fields(entry);
  if (f.size() != 5 && f.size() != 6) return std::nullopt;
  const bool hasRate = f.size() == 6;
  const auto polarisation = Lookup(kPolarisations, f[1]);
  // No code rate field: the descriptor said "not defined"; AUTO reads back as that.
  const auto rate = hasRate ? Lookup(kCodeRates, f[3]) : std::optional<std::string>("AUTO");
  const auto system = Lookup(kSystems, f[hasRate ? 4 : 3]);
  const auto modulation = Lookup(kModulations, f[hasRate ? 5 : 4]);
  if (!AllDigits(f[0]) || f[0].size() > 5 || !AllDigits(f[2]) || f[2].size() > 5 || !polarisation || !rate ||
      !system || !modulation) {
    return std::nullopt;
  }
  const std::string frequency = std::to_string(std::stoul(std::string(f[0])) * 1000);
  const std::string symbolRate = std::to_string(std::stoul(std::string(f[2])) * 1000);
  return "[CHANNEL]\n\tDELIVERY_SYSTEM = " + *system + "\n\tFREQUENCY = " + frequency +
         "\n\tPOLARIZATION = " + *polarisation + "\n\tSYMBOL_RATE = " + symbolRate + "\n\tINNER_FEC = " + *rate +
         "\n\tMODULATION = " + *modulation + "\n\tINVERSION = AUTO\n";
}

}  // namespace

Dvbv5Export ExportDvbv5(const std::vector<std::string>& entries, const std::string& comment) {
  Dvbv5Export out;
  std::string_view rest(comment);
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    out.text += "# " + std::string(rest.substr(0, end)) + "\n";
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
  }
  for (const std::string& entry : entries) {
    const std::optional<std::string> block = ChannelBlock(entry);
    if (!block) {
      out.unreadable.push_back(entry);
      continue;
    }
    out.text += "\n" + *block;
  }
  return out;
}

}  // namespace velq
