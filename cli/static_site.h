#pragma once
// The download site as plain files, for web servers and CDNs that do not run
// velqtp: each list of a folder copied to OUT/pos/<pos value> ("13.0E"),
// the name the request carries, which the nginx configuration in docs/
// answers /dl.php?pos=13.0E from. Files in OUT/pos/ whose list has gone
// are removed, so a refreshed site serves no stale lists. OUT/index.html is
// the page for people (site_index.h). A file whose bytes have not changed is
// left alone, and each list copy takes its list's time of change, so the
// web server's ETag and Last-Modified change exactly when a list does.

#include <cstddef>
#include <string>

namespace velq {

struct StaticSiteCounts {
  std::size_t written = 0;
  std::size_t removed = 0;
};

// Throws std::runtime_error (or FileStoreError) when a file cannot be written.
StaticSiteCounts WriteStaticSite(const std::string& listFolder, const std::string& outFolder);

}  // namespace velq
