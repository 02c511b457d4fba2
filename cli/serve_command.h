#pragma once
// velqtp serve: the download site that the plug-in and velqtp fetch and
// update-all expect, from a folder of list files (0130.ini, ...), on
// cpp-httplib; or, with --static, the same site written out as plain files
// for any web server.

#include <cstdio>
#include <string>

namespace velq {

inline constexpr const char* kDefaultListenAddress = "127.0.0.1";
inline constexpr int kDefaultPort = 8080;

struct ServeOptions {
  std::string folder;
  std::string listen = kDefaultListenAddress;
  int port = kDefaultPort;  // 0: any free port (the first line says which)
  std::string staticOut;    // not empty: write the static site there and end
};

// Serves until SIGINT or SIGTERM: the address on `out` first, then one line
// per request on `err`.
int RunServe(const ServeOptions& options, std::FILE* out, std::FILE* err);

}  // namespace velq
