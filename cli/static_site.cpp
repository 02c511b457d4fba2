#include "cli/static_site.h"

#include <filesystem>
#include <set>
#include <stdexcept>

#include "cli/file_bytes.h"
#include "cli/site_index.h"
#include "core/file_store.h"
#include "webupdate/catalogue_position.h"

namespace velq {
namespace {

namespace fs = std::filesystem;

// Writes `bytes` to `target` unless it holds them already: an unchanged file
// keeps its time, and with it the ETag and Last-Modified a web server gives.
void WriteIfChanged(const fs::path& target, const std::string& bytes) {
  if (ReadFileBytes(target.string()) == bytes) return;
  AtomicFileWriter writer(target.string());
  writer.Write(bytes);
  writer.Commit();
}

}  // namespace

StaticSiteCounts WriteStaticSite(const std::string& listFolder, const std::string& outFolder) {
  const fs::path posFolder = fs::path(outFolder) / "pos";
  fs::create_directories(posFolder);
  StaticSiteCounts counts;
  std::set<std::string> written;
  // Every position of the catalogue's form; 0.0 and 180.0 have a name on each side.
  for (const CataloguePosition::Side side : {CataloguePosition::East, CataloguePosition::West}) {
    for (int tenths = 0; tenths <= 1800; ++tenths) {
      const CataloguePosition position{tenths, side};
      const fs::path list = fs::path(listFolder) / CatalogueFileName(position);
      const std::optional<std::string> bytes = ReadFileBytes(list.string());
      if (!bytes) continue;
      const std::string pos = PosQueryValue(position);
      WriteIfChanged(posFolder / pos, *bytes);
      // The copy takes the list's time of change, so that the web server's
      // Last-Modified says when the list changed, as velqtp serve's does.
      std::error_code error;
      const fs::file_time_type changed = fs::last_write_time(list, error);
      if (!error) fs::last_write_time(posFolder / pos, changed, error);
      written.insert(pos);
      ++counts.written;
    }
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(posFolder)) {
    const std::string name = entry.path().filename().string();
    if (!written.count(name) && ParsePosQueryValue(name) && entry.is_regular_file()) {
      fs::remove(entry.path());
      ++counts.removed;
    }
  }
  WriteIfChanged(fs::path(outFolder) / "index.html", SiteIndexPage(listFolder));
  return counts;
}

}  // namespace velq
