#pragma once
// HTTP dates ("Sun, 06 Nov 1994 08:49:37 GMT"): Last-Modified out,
// If-Modified-Since in. Written and read without the C library's locale.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace velq {

// The preferred form (IMF-fixdate), always in GMT.
std::string FormatHttpDate(std::time_t time);

// Reads the three forms a recipient must accept: IMF-fixdate, the obsolete
// RFC 850 form ("Sunday, 06-Nov-94 08:49:37 GMT") and C's asctime form
// ("Sun Nov  6 08:49:37 1994"). nullopt for anything else, including dates
// that do not exist (31 Feb, 24:00:00) and years before 1970: such a header
// is ignored, as if it had not been sent.
std::optional<std::time_t> ParseHttpDate(std::string_view text);

}  // namespace velq
