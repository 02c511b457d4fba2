#pragma once
// A conditional GET: the client names the copy it holds (If-None-Match with
// its entity tags, or If-Modified-Since with its date); when that copy is
// current the answer is 304 without the body.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace velq {

struct RequestConditions {
  std::optional<std::string> ifNoneMatch;      // every If-None-Match field, joined by ", "
  std::optional<std::string> ifModifiedSince;  // nullopt also when sent more than once
};

// True when the client's copy is current. If-None-Match, when sent, decides
// alone (weak comparison: W/"x" matches "x"; * matches any file; a malformed
// list matches nothing from where it goes wrong). Otherwise If-Modified-Since
// does when it is a valid date: not modified when the file's time is not
// after it. A date that cannot be read is ignored.
bool IsNotModified(const RequestConditions& conditions, std::string_view etag, std::optional<std::time_t> modified);

}  // namespace velq
