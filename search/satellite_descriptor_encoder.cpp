#include "search/satellite_descriptor_encoder.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace velq {
namespace {

constexpr std::uint8_t kSatelliteDeliveryTag = 0x43;

// `value` as `digits` BCD digits, most significant first, two per byte.
std::vector<std::uint8_t> Bcd(std::uint64_t value, int digits, const char* what) {
  std::vector<std::uint8_t> nibbles(static_cast<std::size_t>(digits));
  for (int i = digits - 1; i >= 0; --i) {
    nibbles[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value % 10);
    value /= 10;
  }
  if (value != 0) throw std::out_of_range(std::string(what) + " has too many digits");
  if (digits % 2 != 0) nibbles.push_back(0);
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < nibbles.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(nibbles[i] << 4 | nibbles[i + 1]));
  }
  return bytes;
}

}  // namespace

std::array<std::uint8_t, 13> EncodeSatelliteDescriptor(const Transponder& transponder) {
  if (transponder.RollOff > 3) throw std::out_of_range("roll-off code above 3");
  const std::vector<std::uint8_t> frequency = Bcd(transponder.FrequencyKhz / 10, 8, "frequency");
  const std::vector<std::uint8_t> position = Bcd(transponder.PositionTenths, 4, "position");
  const std::vector<std::uint8_t> symbolRate = Bcd(transponder.SymbolRate / 100, 7, "symbol rate");

  std::array<std::uint8_t, 13> d{};
  d[0] = kSatelliteDeliveryTag;
  d[1] = 11;
  std::copy(frequency.begin(), frequency.end(), d.begin() + 2);
  std::copy(position.begin(), position.end(), d.begin() + 6);
  d[8] = static_cast<std::uint8_t>(static_cast<unsigned>(transponder.hemisphere) << 7 |
                                   static_cast<unsigned>(transponder.polarisation) << 5 |
                                   unsigned{transponder.RollOff} << 3 |
                                   static_cast<unsigned>(transponder.system) << 2 |
                                   static_cast<unsigned>(transponder.modulation));
  std::copy(symbolRate.begin(), symbolRate.end(), d.begin() + 9);
  d[12] = static_cast<std::uint8_t>(d[12] | (static_cast<unsigned>(transponder.Fec) & 0x0F));
  return d;
}

}  // namespace velq
