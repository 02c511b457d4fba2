#include "cli/site_answer.h"

#include <cctype>

#include "cli/file_bytes.h"
#include "webupdate/catalogue_position.h"

namespace velq {
namespace {

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::string_view> PosArgument(std::string_view target) {
  const auto question = target.find('?');
  if (question == std::string_view::npos) return std::nullopt;
  std::string_view query = target.substr(question + 1);
  while (!query.empty()) {
    const auto amp = query.find('&');
    const std::string_view argument = query.substr(0, amp);
    const auto equals = argument.find('=');
    if (equals != std::string_view::npos && SameKey(argument.substr(0, equals), "pos")) {
      return argument.substr(equals + 1);
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return std::nullopt;
}

std::optional<std::string> ListFileForPos(std::string_view pos) {
  const std::optional<CataloguePosition> position = ParsePosQueryValue(pos);
  if (!position) return std::nullopt;
  return CatalogueFileName(*position);
}

SiteAnswer AnswerDownloadRequest(std::string_view target, const std::string& folder) {
  const std::optional<std::string_view> pos = PosArgument(target);
  const std::optional<std::string> file = pos ? ListFileForPos(*pos) : std::nullopt;
  if (!file) return {400, "Bad request: pos must be a position such as 13.0E or 0.8W\n"};
  std::optional<std::string> bytes = ReadFileBytes(folder + '/' + *file);
  if (!bytes) return {404, "No list for this position\n"};
  return {200, std::move(*bytes)};
}

}  // namespace velq
