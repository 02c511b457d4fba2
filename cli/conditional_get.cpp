#include "cli/conditional_get.h"

#include "cli/http_date.h"

namespace velq {
namespace {

std::string_view WithoutWeakPrefix(std::string_view tag) {
  return tag.substr(0, 2) == "W/" ? tag.substr(2) : tag;
}

bool EtagListMatches(std::string_view list, std::string_view etag) {
  const std::string_view ours = WithoutWeakPrefix(etag);
  for (;;) {
    while (!list.empty() && (list.front() == ' ' || list.front() == '\t' || list.front() == ',')) {
      list.remove_prefix(1);
    }
    if (list.empty()) return false;
    if (list.front() == '*') return true;
    list = WithoutWeakPrefix(list);
    if (list.empty() || list.front() != '"') return false;
    const std::size_t close = list.find('"', 1);
    if (close == std::string_view::npos) return false;
    if (list.substr(0, close + 1) == ours) return true;
    list.remove_prefix(close + 1);
  }
}

}  // namespace

bool IsNotModified(const RequestConditions& conditions, std::string_view etag, std::optional<std::time_t> modified) {
  if (conditions.ifNoneMatch) return !etag.empty() && EtagListMatches(*conditions.ifNoneMatch, etag);
  if (!conditions.ifModifiedSince || !modified) return false;
  const std::optional<std::time_t> since = ParseHttpDate(*conditions.ifModifiedSince);
  return since && *modified <= *since;
}

}  // namespace velq
