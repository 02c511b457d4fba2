#include "fuzz/entry_shape.h"

#include <array>

namespace velq::fuzz {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Consumes exactly `count` digits and gives their value, or -1.
int TakeDigits(std::string_view& text, std::size_t count) {
  if (text.size() < count) return -1;
  int value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!IsDigit(text[i])) return -1;
    value = value * 10 + (text[i] - '0');
  }
  text.remove_prefix(count);
  return value;
}

template <std::size_t N>
bool TakeOneOf(std::string_view& text, const std::array<std::string_view, N>& choices) {
  for (std::string_view choice : choices) {
    if (text.starts_with(choice)) {
      text.remove_prefix(choice.size());
      return true;
    }
  }
  return false;
}

bool Take(std::string_view& text, std::string_view expected) {
  return TakeOneOf(text, std::array<std::string_view, 1>{expected});
}

constexpr std::array<std::string_view, 4> kPolarisations = {"H", "V", "left", "right"};
constexpr std::array<std::string_view, 9> kCodeRates = {",12", ",23", ",34", ",56", ",78",
                                                        ",89", ",35", ",45", ",910"};
// The longer system first: ",DVB-S" is a prefix of ",DVB-S2".
constexpr std::array<std::string_view, 2> kSystems = {",DVB-S2", ",DVB-S"};
constexpr std::array<std::string_view, 4> kModulations = {",Auto", ",QPSK", ",8PSK", ",16-QAM"};

}  // namespace

bool IsEntryTextShape(std::string_view text) {
  const int frequency = TakeDigits(text, 5);
  if (frequency <= 0 || frequency >= 12800 || !Take(text, ",")) return false;
  if (!TakeOneOf(text, kPolarisations) || !Take(text, ",")) return false;
  const int symbolRate = TakeDigits(text, 5);
  if (symbolRate <= 0 || symbolRate > 30000) return false;
  if (!text.starts_with(",DVB-S") && !TakeOneOf(text, kCodeRates)) return false;
  return TakeOneOf(text, kSystems) && TakeOneOf(text, kModulations) && text.empty();
}

bool IsSatelliteLineShape(std::string_view line, char decimalSeparator) {
  if (!line.ends_with(" \xB0"
                      "E") &&
      !line.ends_with(" \xB0"
                      "W")) {
    return false;
  }
  line.remove_suffix(3);
  const std::size_t space = line.rfind(' ');
  if (space == std::string_view::npos) return false;
  std::string_view degrees = line.substr(space + 1);
  const std::size_t separator = degrees.find(decimalSeparator);
  if (separator != std::string_view::npos) {
    if (degrees.size() != separator + 2 || !IsDigit(degrees.back()) || degrees.back() == '0') {
      return false;
    }
    degrees = degrees.substr(0, separator);
  }
  if (degrees.empty() || degrees.size() > 3) return false;
  for (char c : degrees) {
    if (!IsDigit(c)) return false;
  }
  return degrees.size() == 1 || degrees[0] != '0';
}

bool IsPositionCodeShape(std::string_view code) {
  if (code.starts_with('-')) code.remove_prefix(1);
  if (code.empty() || code.size() > 4) return false;
  for (char c : code) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

}  // namespace velq::fuzz
