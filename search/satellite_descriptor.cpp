#include "search/satellite_descriptor.h"

#include <array>

namespace velq {
namespace {

constexpr int kFrequencyLimitMhz = 12800;    // exclusive
constexpr int kSymbolRateLimitKsym = 30000;  // inclusive

constexpr std::array<std::string_view, 4> kPolarisationTexts = {"H", "V", "left", "right"};
constexpr std::array<std::string_view, 2> kDeliverySystemTexts = {",DVB-S", ",DVB-S2"};
constexpr std::array<std::string_view, 4> kModulationTexts = {",Auto", ",QPSK", ",8PSK", ",16-QAM"};
// Codes 0 and 10 to 15 carry no code rate and get no field at all, so an
// entry never borrows another transponder's rate.
constexpr std::array<std::string_view, 16> kFecTexts = {
    "", ",12", ",23", ",34", ",56", ",78", ",89", ",35", ",45", ",910", "", "", "", "", "", ""};

std::optional<int> BcdValue(std::uint8_t byte) {
  const int high = byte >> 4;
  const int low = byte & 0x0F;
  if (high > 9 || low > 9) return std::nullopt;
  return high * 10 + low;
}

void AppendTwoDigits(std::string& text, int value) {
  text += static_cast<char>('0' + value / 10);
  text += static_cast<char>('0' + value % 10);
}

// The lead byte is taken as a plain number (so 0x01 gives "1", 0x00 gives
// "0"), the next two as BCD digit pairs; the result is in whole MHz or whole
// ksymbol/s with the finer digits cut off.
struct LeadAndDigits {
  std::string Text;
  int Value;
};

std::optional<LeadAndDigits> DecodeLeadAndDigits(std::uint8_t lead, std::uint8_t pair1,
                                                 std::uint8_t pair2) {
  const std::optional<int> digits1 = BcdValue(pair1);
  const std::optional<int> digits2 = BcdValue(pair2);
  if (!digits1 || !digits2) return std::nullopt;
  LeadAndDigits result{std::to_string(lead), lead * 10000 + *digits1 * 100 + *digits2};
  AppendTwoDigits(result.Text, *digits1);
  AppendTwoDigits(result.Text, *digits2);
  return result;
}

}  // namespace

std::optional<OrbitalPosition> DecodeOrbitalPosition(SatelliteDescriptorBytes descriptor) {
  const std::optional<int> high = BcdValue(descriptor[6]);
  const std::optional<int> low = BcdValue(descriptor[7]);
  if (!high || !low) return std::nullopt;
  const Hemisphere hemisphere = (descriptor[8] & 0x80) ? Hemisphere::East : Hemisphere::West;
  return OrbitalPosition{*high * 100 + *low, hemisphere};
}

std::optional<std::string> DecodeEntryText(SatelliteDescriptorBytes descriptor) {
  const std::optional<LeadAndDigits> frequency =
      DecodeLeadAndDigits(descriptor[2], descriptor[3], descriptor[4]);
  if (!frequency || frequency->Value <= 0 || frequency->Value >= kFrequencyLimitMhz) {
    return std::nullopt;
  }
  const std::optional<LeadAndDigits> symbolRate =
      DecodeLeadAndDigits(descriptor[9], descriptor[10], descriptor[11]);
  if (!symbolRate || symbolRate->Value <= 0 || symbolRate->Value > kSymbolRateLimitKsym) {
    return std::nullopt;
  }

  const std::uint8_t flags = descriptor[8];
  std::string text = frequency->Text;
  text += ',';
  text += kPolarisationTexts[(flags >> 5) & 0x03];
  text += ',';
  text += symbolRate->Text;
  text += kFecTexts[descriptor[12] & 0x0F];
  text += kDeliverySystemTexts[(flags >> 2) & 0x01];
  text += kModulationTexts[flags & 0x03];
  return text;
}

std::string SatPositionCodeOf(OrbitalPosition position) {
  if (position.hemisphere == Hemisphere::West) return std::to_string(3600 - position.Tenths);
  std::string code;
  AppendTwoDigits(code, position.Tenths / 100);
  AppendTwoDigits(code, position.Tenths % 100);
  return code;
}

std::string SatelliteLineOf(std::string_view name, OrbitalPosition position,
                            char decimalSeparator) {
  std::string line(name);
  line += ' ';
  line += std::to_string(position.Tenths / 10);
  if (position.Tenths % 10 != 0) {
    line += decimalSeparator;
    line += static_cast<char>('0' + position.Tenths % 10);
  }
  line += position.hemisphere == Hemisphere::East ? " \xB0"
                                                    "E"
                                                  : " \xB0"
                                                    "W";
  return line;
}

}  // namespace velq
