#pragma once
// velqtp fetch and velqtp update-all: the web update's position buttons and
// its update-all command, on libcurl, with the plug-in's catalogue, order and
// error texts.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/curl_downloader.h"

namespace velq {

struct FetchOptions {
  std::vector<std::string> positions;  // fetch only: "13.0E", "0130", ...
  std::string folder;                  // empty: the current folder
  std::string site;                    // the download site's base address
  CurlTimeouts timeouts;
  bool keepGoing = false;              // update-all only: go on after a failed step
};

// Fetches the named positions in the order given, stopping at the first
// failure. Unknown positions are refused before anything is fetched.
int RunFetch(const FetchOptions& options, std::FILE* out, std::FILE* err);

// The 56 steps of the update-all sequence; stops at the first failure, or
// with keepGoing fetches the rest and then lists the failed steps.
int RunUpdateAll(const FetchOptions& options, std::FILE* out, std::FILE* err);

}  // namespace velq
