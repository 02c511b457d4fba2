#include "cli/nit_network_name.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "cli/windows1252.h"

namespace velq {
namespace {

constexpr std::uint8_t kNetworkNameTag = 0x40;
constexpr std::size_t kLoopStart = 10;  // after the header and network_descriptors_length
constexpr std::size_t kCrcSize = 4;

std::optional<std::span<const std::uint8_t>> NameBytes(std::span<const std::uint8_t> section) {
  if (section.size() < kLoopStart + kCrcSize) return std::nullopt;
  const std::size_t length = (std::size_t{section[8]} & 0x0F) << 8 | section[9];
  const std::size_t end = std::min(kLoopStart + length, section.size() - kCrcSize);
  for (std::size_t at = kLoopStart; at + 2 <= end;) {
    const std::size_t size = section[at + 1];
    if (at + 2 + size > end) break;
    if (section[at] == kNetworkNameTag) return section.subspan(at + 2, size);
    at += 2 + size;
  }
  return std::nullopt;
}

std::string TextOf(std::span<const std::uint8_t> bytes) {
  bool utf8 = false;
  if (!bytes.empty() && bytes[0] < 0x20) {
    // The character table selector: 0x10 is followed by two more bytes.
    const std::size_t selector = bytes[0] == 0x10 ? 3 : 1;
    utf8 = bytes[0] == 0x15;
    bytes = bytes.subspan(std::min(selector, bytes.size()));
  }
  std::string text;
  for (std::uint8_t byte : bytes) {
    if (byte < 0x20 || byte == 0x7F) continue;
    if (utf8) {
      text += static_cast<char>(byte);
    } else if (byte < 0x80 || byte >= 0xA0) {  // 0x80-0x9F: control codes
      text += Windows1252ToUtf8(std::string(1, static_cast<char>(byte)));
    }
  }
  return text;
}

}  // namespace

std::string NetworkNameOf(std::span<const NitSectionBytes> sections) {
  for (const NitSectionBytes& section : sections) {
    if (const auto name = NameBytes(section)) return TextOf(*name);
  }
  return {};
}

}  // namespace velq
