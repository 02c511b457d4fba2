#include "lists/dvbv5_channel_file.h"

#include <charconv>
#include <map>
#include <string>

namespace velq {
namespace {

using Channel = std::map<std::string, std::string>;

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::uint64_t Number(const Channel& channel, const std::string& key, int line) {
  const auto found = channel.find(key);
  if (found == channel.end()) {
    throw ChannelFileError("channel ending at line " + std::to_string(line) + " has no " + key);
  }
  std::uint64_t value = 0;
  const std::string& text = found->second;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    throw ChannelFileError(key + " = " + text + " is not a number (line " + std::to_string(line) + ")");
  }
  return value;
}

std::string Value(const Channel& channel, const std::string& key) {
  const auto found = channel.find(key);
  return found == channel.end() ? std::string() : found->second;
}

Polarisation PolarisationOf(const std::string& text, int line) {
  static const std::map<std::string, Polarisation> kNames = {
      {"HORIZONTAL", Polarisation::Horizontal}, {"VERTICAL", Polarisation::Vertical},
      {"LEFT", Polarisation::Left}, {"RIGHT", Polarisation::Right}};
  const auto found = kNames.find(text);
  if (found == kNames.end()) {
    throw ChannelFileError("unknown POLARIZATION " + text + " (line " + std::to_string(line) + ")");
  }
  return found->second;
}

FecInner FecOf(const std::string& text) {
  static const std::map<std::string, FecInner> kNames = {
      {"1/2", FecInner::Fec1_2}, {"2/3", FecInner::Fec2_3}, {"3/4", FecInner::Fec3_4},
      {"5/6", FecInner::Fec5_6}, {"7/8", FecInner::Fec7_8}, {"8/9", FecInner::Fec8_9},
      {"3/5", FecInner::Fec3_5}, {"4/5", FecInner::Fec4_5}, {"9/10", FecInner::Fec9_10},
      {"NONE", FecInner::NoCoding}};
  const auto found = kNames.find(text);
  return found == kNames.end() ? FecInner::NotDefined : found->second;
}

Modulation ModulationOf(const std::string& text, DeliverySystem system) {
  if (text == "QPSK") return Modulation::Qpsk;
  if (text == "PSK/8") return Modulation::Psk8;
  if (text == "QAM/16") return Modulation::Qam16;
  // DVB-S knows only QPSK; the descriptor has no code for APSK.
  return text.empty() && system == DeliverySystem::DvbS ? Modulation::Qpsk : Modulation::Auto;
}

std::uint8_t RollOffOf(const std::string& text) {
  if (text == "25") return 1;
  if (text == "20") return 2;
  return 0;  // 0.35, also for AUTO
}

std::uint32_t RoundedTo(std::uint64_t value, std::uint64_t step) {
  return static_cast<std::uint32_t>((value + step / 2) / step * step);
}

bool IsApsk(const std::string& modulation) { return modulation.rfind("APSK", 0) == 0; }

// Cable and terrestrial channels have no place in a satellite NIT.
void AddSatelliteChannel(const Channel& channel, int line, std::uint16_t positionTenths,
                         Hemisphere hemisphere, bool skipApsk, Dvbv5Channels& out) {
  const std::string system = Value(channel, "DELIVERY_SYSTEM");
  if (system != "DVBS" && system != "DVBS2") return;
  if (skipApsk && IsApsk(Value(channel, "MODULATION"))) {
    ++out.apskSkipped;
    return;
  }
  Transponder t;
  t.system = system == "DVBS2" ? DeliverySystem::DvbS2 : DeliverySystem::DvbS;
  t.FrequencyKhz = RoundedTo(Number(channel, "FREQUENCY", line), 10);         // 10 kHz digits
  t.SymbolRate = RoundedTo(Number(channel, "SYMBOL_RATE", line), 100);         // 100 symbol/s digits
  t.PositionTenths = positionTenths;
  t.hemisphere = hemisphere;
  t.polarisation = PolarisationOf(Value(channel, "POLARIZATION"), line);
  t.modulation = ModulationOf(Value(channel, "MODULATION"), t.system);
  t.RollOff = RollOffOf(Value(channel, "ROLLOFF"));
  t.Fec = FecOf(Value(channel, "INNER_FEC"));
  out.transponders.push_back(t);
}

Dvbv5Channels ReadChannels(std::istream& in, std::uint16_t positionTenths, Hemisphere hemisphere,
                           bool skipApsk) {
  Dvbv5Channels channels;
  Channel channel;
  bool inChannel = false;
  int lineNumber = 0;
  auto finish = [&] {
    if (inChannel) AddSatelliteChannel(channel, lineNumber, positionTenths, hemisphere, skipApsk, channels);
    channel.clear();
  };
  std::string line;
  while (std::getline(in, line)) {
    ++lineNumber;
    const std::string text = Trimmed(line);
    if (text.empty() || text[0] == '#') continue;
    if (text[0] == '[') {
      finish();
      inChannel = true;
      continue;
    }
    const auto equals = text.find('=');
    if (equals == std::string::npos) {
      throw ChannelFileError("line " + std::to_string(lineNumber) + " is neither [CHANNEL] nor KEY = VALUE");
    }
    channel[Trimmed(text.substr(0, equals))] = Trimmed(text.substr(equals + 1));
  }
  finish();
  return channels;
}

}  // namespace

std::vector<Transponder> ReadDvbv5Channels(std::istream& in, std::uint16_t positionTenths,
                                           Hemisphere hemisphere) {
  return ReadChannels(in, positionTenths, hemisphere, false).transponders;
}

Dvbv5Channels ReadDvbv5ChannelsSkippingApsk(std::istream& in, std::uint16_t positionTenths,
                                            Hemisphere hemisphere) {
  return ReadChannels(in, positionTenths, hemisphere, true);
}

}  // namespace velq
