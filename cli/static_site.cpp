#include "cli/static_site.h"

#include <filesystem>
#include <set>
#include <stdexcept>

#include "cli/file_bytes.h"
#include "core/file_store.h"
#include "webupdate/catalogue_position.h"

namespace velq {

StaticSiteCounts WriteStaticSite(const std::string& listFolder, const std::string& outFolder) {
  namespace fs = std::filesystem;
  const fs::path posFolder = fs::path(outFolder) / "pos";
  fs::create_directories(posFolder);
  StaticSiteCounts counts;
  std::set<std::string> written;
  // Every position of the catalogue's form; 0.0 and 180.0 have a name on each side.
  for (const CataloguePosition::Side side : {CataloguePosition::East, CataloguePosition::West}) {
    for (int tenths = 0; tenths <= 1800; ++tenths) {
      const CataloguePosition position{tenths, side};
      const std::optional<std::string> bytes =
          ReadFileBytes((fs::path(listFolder) / CatalogueFileName(position)).string());
      if (!bytes) continue;
      const std::string pos = PosQueryValue(position);
      AtomicFileWriter writer((posFolder / pos).string());
      writer.Write(*bytes);
      writer.Commit();
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
  return counts;
}

}  // namespace velq
