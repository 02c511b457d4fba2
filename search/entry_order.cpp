#include "search/entry_order.h"

#include <array>
#include <cstdint>

namespace velq {
namespace {

// A text is folded into collation units, each weighed on three levels:
// primary (which letter, digit or symbol), secondary (accent), tertiary
// (case). A byte yields one unit, or two for the ligatures (Æ = AE, ß = ss).
struct Unit {
  uint8_t primary = 0;  // 0 marks an unused slot; real weights start at 1
  uint8_t secondary = 1;
  uint8_t tertiary = 1;
};
struct Folding {
  Unit units[2];
};

enum Accent : uint8_t {
  kPlain = 1,
  kGrave,
  kAcute,
  kCircumflex,
  kTilde,
  kDiaeresis,
  kRing,
  kCedilla,
  kStroke,
  kCaron,
  kHook,
  kEth,
  kLigature,
  kOrdinal,
  kSuperscript,
  kNoBreak,
};
enum Case : uint8_t { kLower = 1, kUpper = 2 };

constexpr uint8_t kControlWeight = 1;
constexpr uint8_t kFirstSymbolWeight = 2;  // about 80 symbols follow
constexpr uint8_t kFirstDigitWeight = 100;
constexpr uint8_t kFirstLetterWeight = 120;
constexpr uint8_t kThornWeight = kFirstLetterWeight + 26;  // after z, as in Nordic use
constexpr uint8_t kMicroWeight = kThornWeight + 1;

constexpr Unit Letter(char lower, Accent accent, Case letterCase) {
  return Unit{static_cast<uint8_t>(kFirstLetterWeight + (lower - 'a')), accent, letterCase};
}
constexpr Unit Digit(char digit, Accent accent) {
  return Unit{static_cast<uint8_t>(kFirstDigitWeight + (digit - '0')), accent, kLower};
}

// Latin-1 letters 0xC0-0xDF (upper case; 0xE0-0xFF are their lower-case
// twins). '*' marks the bytes handled apart: × Æ Þ ß.
constexpr char kLatinBase[] = "aaaaaa*ceeeeiiiidnooooo*ouuuuy**";
constexpr Accent kLatinAccent[32] = {
    kGrave, kAcute, kCircumflex, kTilde,     kDiaeresis, kRing,  kLigature, kCedilla,
    kGrave, kAcute, kCircumflex, kDiaeresis, kGrave,     kAcute, kCircumflex, kDiaeresis,
    kEth,   kTilde, kGrave,      kAcute,     kCircumflex, kTilde, kDiaeresis, kPlain,
    kStroke, kGrave, kAcute,     kCircumflex, kDiaeresis, kAcute, kPlain,    kLigature,
};

bool IsControl(int c) {
  return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

Folding Ligature(char first, char second, Case letterCase) {
  Folding f;
  f.units[0] = Letter(first, kLigature, letterCase);
  f.units[1] = Letter(second, kLigature, letterCase);
  return f;
}

// Letters and digits outside ASCII; primary 0 when the byte is none of them.
Folding FoldHighLetter(int c) {
  Folding f;
  Unit& u = f.units[0];
  switch (c) {
    case 0x83: u = Letter('f', kHook, kLower); return f;
    case 0x8A: u = Letter('s', kCaron, kUpper); return f;
    case 0x8C: return Ligature('o', 'e', kUpper);
    case 0x8E: u = Letter('z', kCaron, kUpper); return f;
    case 0x9A: u = Letter('s', kCaron, kLower); return f;
    case 0x9C: return Ligature('o', 'e', kLower);
    case 0x9E: u = Letter('z', kCaron, kLower); return f;
    case 0x9F: u = Letter('y', kDiaeresis, kUpper); return f;
    case 0xAA: u = Letter('a', kOrdinal, kLower); return f;
    case 0xBA: u = Letter('o', kOrdinal, kLower); return f;
    case 0xB9: u = Digit('1', kSuperscript); return f;
    case 0xB2: u = Digit('2', kSuperscript); return f;
    case 0xB3: u = Digit('3', kSuperscript); return f;
    case 0xB5: u = Unit{kMicroWeight, kPlain, kLower}; return f;
    case 0xDE: u = Unit{kThornWeight, kPlain, kUpper}; return f;
    case 0xFE: u = Unit{kThornWeight, kPlain, kLower}; return f;
    case 0xDF: return Ligature('s', 's', kLower);
    case 0xFF: u = Letter('y', kDiaeresis, kLower); return f;
    case 0xC6: return Ligature('a', 'e', kUpper);
    case 0xE6: return Ligature('a', 'e', kLower);
    default: break;
  }
  if (c >= 0xC0) {
    const int i = c & 0x1F;
    if (kLatinBase[i] != '*') u = Letter(kLatinBase[i], kLatinAccent[i], c < 0xE0 ? kUpper : kLower);
  }
  return f;
}

std::array<Folding, 256> BuildTable() {
  std::array<Folding, 256> table{};
  uint8_t nextSymbol = kFirstSymbolWeight;
  for (int c = 0; c < 256; ++c) {
    Folding& f = table[c];
    Unit& u = f.units[0];
    if (IsControl(c)) {
      u.primary = kControlWeight;
    } else if (c >= '0' && c <= '9') {
      u = Digit(static_cast<char>(c), kPlain);
    } else if (c >= 'a' && c <= 'z') {
      u = Letter(static_cast<char>(c), kPlain, kLower);
    } else if (c >= 'A' && c <= 'Z') {
      u = Letter(static_cast<char>(c - 'A' + 'a'), kPlain, kUpper);
    } else if (c >= 0x80) {
      f = FoldHighLetter(c);
    }
    // Whatever is left is a symbol; symbols keep their byte order.
    if (f.units[0].primary == 0 && c != 0xA0) u.primary = nextSymbol++;
  }
  table[0xA0].units[0] = Unit{table[' '].units[0].primary, kNoBreak, kLower};
  return table;
}

const std::array<Folding, 256>& Table() {
  static const std::array<Folding, 256> table = BuildTable();
  return table;
}

// Weights of one level, each byte >= 1, ended by 0 so that a text sorts
// before every longer text that it begins.
void AppendLevel(std::string& key, const std::string& text, uint8_t Unit::*level) {
  const auto& table = Table();
  for (unsigned char c : text) {
    for (const Unit& u : table[c].units) {
      if (u.primary != 0) key.push_back(static_cast<char>(u.*level));
    }
  }
  key.push_back('\0');
}

int Sign(int n) { return (n > 0) - (n < 0); }

}  // namespace

std::string EntryCaseBlindKey(const std::string& text) {
  std::string key;
  key.reserve(2 * text.size() + 2);
  AppendLevel(key, text, &Unit::primary);
  AppendLevel(key, text, &Unit::secondary);
  return key;
}

std::string EntrySortKey(const std::string& text) {
  std::string key = EntryCaseBlindKey(text);
  AppendLevel(key, text, &Unit::tertiary);
  key += text;  // last resort: the bytes themselves, so the order is total
  return key;
}

int CompareEntries(const std::string& a, const std::string& b) {
  return Sign(EntrySortKey(a).compare(EntrySortKey(b)));
}

int CompareEntriesIgnoringCase(const std::string& a, const std::string& b) {
  return Sign(EntryCaseBlindKey(a).compare(EntryCaseBlindKey(b)));
}

}  // namespace velq
