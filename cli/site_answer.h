#pragma once
// The download site's one question, GET /dl.php?pos=13.0E, answered from a
// folder of list files: 200 with the file's bytes, 400 for a `pos` that is
// missing or not of the catalogue's form ("13.0E", "0.8W"), 404 for a
// position without a file. Only a position that passed that test is turned
// into a file name (its four-digit code + ".ini"); nothing else of the
// request reaches the file system. The nginx configuration in docs/ gives
// the same answers.
//
// A list is answered with what says how fresh it is (its ETag and
// Last-Modified), and a client or cache that already holds it (If-None-Match,
// If-Modified-Since) gets 304 without the body.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "cli/conditional_get.h"

namespace velq {

// The value of the first `pos` argument of a request target's query, as
// sent (not decoded), the key matched without regard to case: what nginx
// calls $arg_pos. nullopt when there is none.
std::optional<std::string_view> PosArgument(std::string_view target);

// The file that answers a `pos` value ("0130.ini"), nullopt when the value
// is not of the catalogue's form.
std::optional<std::string> ListFileForPos(std::string_view pos);

struct SiteAnswer {
  int status = 400;
  std::string body;          // the list's bytes with 200, nothing with 304, a short text otherwise
  std::string etag;          // with 200 and 304
  std::string lastModified;  // HTTP date, with 200 and 304 of a list
  std::size_t fullLength = 0;  // the body's length with 200, also given with 304
};

// `folder` ends without a separator. The file is read whole at once, so a
// list replaced meanwhile (by rename, as velqtp writes) is sent old or new,
// never mixed, with its own tag.
SiteAnswer AnswerDownloadRequest(std::string_view target, const std::string& folder,
                                 const RequestConditions& conditions = {});

// The page for people (site_index.h): 200, or 304 for a client that holds it.
SiteAnswer AnswerIndexRequest(const std::string& folder, const RequestConditions& conditions = {});

}  // namespace velq
