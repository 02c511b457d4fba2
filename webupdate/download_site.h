#pragma once
// Where the lists are fetched from: our site, or a mirror named by the
// environment variable VELQ_TP_SITE (also how the tests point at a local server).

#include <string>
#include <string_view>

namespace velq {

inline constexpr std::string_view kDefaultSiteBase = "http://tp.velq.example";
inline constexpr const char* kSiteEnvironmentVariable = "VELQ_TP_SITE";

// VELQ_TP_SITE when set and not empty, else kDefaultSiteBase.
std::string DownloadSiteBase();

// siteBase + "/dl.php?pos=" + posValue; a slash ending siteBase is not doubled.
std::string DownloadUrl(std::string_view siteBase, std::string_view posValue);

}  // namespace velq
