#pragma once
// Our texts are Windows-1252 bytes (the degree sign is 0xB0); a terminal
// expects UTF-8. Files keep the Windows-1252 bytes; only what velqtp prints
// is converted.

#include <string>
#include <string_view>

namespace velq {

// Every byte becomes its Unicode character in UTF-8; the five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// controls of the same number, so nothing is lost.
std::string Windows1252ToUtf8(std::string_view text);

}  // namespace velq
