#include "cli/site_answer.h"

#include <cctype>

#include "cli/http_date.h"
#include "cli/served_file.h"
#include "cli/site_index.h"
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

SiteAnswer Answer(int status, std::string body) {
  SiteAnswer answer;
  answer.status = status;
  answer.body = std::move(body);
  answer.fullLength = answer.body.size();
  return answer;
}

// 304 without the body when the client holds this answer's version.
SiteAnswer Conditional(SiteAnswer answer, const RequestConditions& conditions, std::optional<std::time_t> modified) {
  if (IsNotModified(conditions, answer.etag, modified)) {
    answer.status = 304;
    answer.body.clear();
  }
  return answer;
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

SiteAnswer AnswerDownloadRequest(std::string_view target, const std::string& folder,
                                 const RequestConditions& conditions) {
  const std::optional<std::string_view> pos = PosArgument(target);
  const std::optional<std::string> file = pos ? ListFileForPos(*pos) : std::nullopt;
  if (!file) return Answer(400, "Bad request: pos must be a position such as 13.0E or 0.8W\n");
  std::optional<ServedFile> list = ReadServedFile(folder + '/' + *file);
  if (!list) return Answer(404, "No list for this position\n");
  SiteAnswer answer = Answer(200, std::move(list->bytes));
  answer.etag = std::move(list->etag);
  answer.lastModified = FormatHttpDate(list->modified);
  return Conditional(std::move(answer), conditions, list->modified);
}

SiteAnswer AnswerIndexRequest(const std::string& folder, const RequestConditions& conditions) {
  SiteAnswer answer = Answer(200, SiteIndexPage(folder));
  answer.etag = ContentEtag(answer.body);
  return Conditional(std::move(answer), conditions, std::nullopt);
}

}  // namespace velq
