#include "webupdate/download_site.h"

#include <cstdlib>

namespace velq {

std::string DownloadSiteBase() {
  const char* mirror = std::getenv(kSiteEnvironmentVariable);
  if (mirror && *mirror) return mirror;
  return std::string(kDefaultSiteBase);
}

std::string DownloadUrl(std::string_view siteBase, std::string_view posValue) {
  // A mirror given as "http://host/" must not yield "//dl.php".
  while (!siteBase.empty() && siteBase.back() == '/') siteBase.remove_suffix(1);
  std::string url(siteBase);
  url += "/dl.php?pos=";
  url += posValue;
  return url;
}

}  // namespace velq
