#include "cli/import_command.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "cli/count_text.h"
#include "cli/exit_codes.h"
#include "cli/list_change_report.h"
#include "lists/channel_import.h"
#include "lists/dvbv5_channel_file.h"
#include "lists/position_in_name.h"
#include "search/duplicate_rules.h"
#include "search/local_date_time.h"
#include "search/save_selected.h"
#include "webupdate/tp_catalogue.h"
#include "webupdate/update_all_order.h"

namespace velq {
namespace {

namespace fs = std::filesystem;

std::string FolderWithSeparator(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + '/';
}

std::string PositionText(OrbitalPosition position) {
  return std::to_string(position.Tenths / 10) + '.' + std::to_string(position.Tenths % 10) +
         (position.hemisphere == Hemisphere::East ? 'E' : 'W');
}

// One list to make: a position and the channel files that feed it.
struct PositionFiles {
  OrbitalPosition position;
  std::vector<std::string> files;
};

struct Totals {
  std::size_t lists = 0, entries = 0, skipped = 0;
};

// Reads, merges and writes the list of one position; prints what it did.
void ImportPosition(const PositionFiles& group, const std::string& folder, const std::string& step,
                    Totals& totals, std::FILE* out) {
  VectorCheckList list;
  ImportCounts counts;
  std::size_t apsk = 0;
  for (const std::string& file : group.files) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot read " + file);
    try {
      const Dvbv5Channels channels = ReadDvbv5ChannelsSkippingApsk(
          in, static_cast<std::uint16_t>(group.position.Tenths), group.position.hemisphere);
      apsk += channels.apskSkipped;
      AddImportedEntries(channels.transponders, list, counts);
    } catch (const ChannelFileError& e) {
      throw std::runtime_error(file + ": " + e.what());
    }
  }
  const int found = list.Count();
  RemoveDuplicated(list);
  const std::string code = SatPositionCodeOf(group.position);
  const std::size_t skipped = counts.skipped + apsk;
  std::fprintf(out, "%s%-6s %s.ini: %s from %s (%s; skipped %zu APSK, %zu out of range; %s removed)\n",
               step.c_str(), PositionText(group.position).c_str(), code.c_str(),
               CountText(list.Count(), "entry", "entries").c_str(),
               CountText(group.files.size(), "file", "files").c_str(),
               CountText(counts.channels + apsk, "channel", "channels").c_str(), apsk, counts.skipped,
               CountText(found - list.Count(), "duplicate", "duplicates").c_str());
  totals.skipped += skipped;
  if (list.Count() == 0) {
    std::fprintf(out, "%s.ini: not written, no entries\n", code.c_str());
    std::fflush(out);
    return;
  }
  const std::string name(LookUpPositionName(group.position.Tenths, group.position.hemisphere).value_or(""));
  const SaveSelectedRequest request{folder, code, name, CurrentLocalDateTime(), ':'};
  const ListChangeReport change(TransponderListPath(folder, code));
  SaveSelected(list, request);
  std::fprintf(out, "%s\n", change.Line().c_str());
  std::fflush(out);
  ++totals.lists;
  totals.entries += static_cast<std::size_t>(list.Count());
}

// The groups of the named files, in the order their positions first appear.
std::optional<std::vector<PositionFiles>> GroupNamedFiles(const ImportOptions& options, std::FILE* err) {
  std::optional<OrbitalPosition> given;
  if (!options.position.empty()) {
    given = PositionInName(options.position);
    if (!given) {
      std::fprintf(err, "velqtp: --position %s is no orbital position (13.0E, 7.0W)\n", options.position.c_str());
      return std::nullopt;
    }
  }
  std::vector<PositionFiles> groups;
  for (const std::string& file : options.files) {
    const std::optional<OrbitalPosition> position = given ? given : PositionInName(file);
    if (!position) {
      std::fprintf(err, "velqtp: no orbital position at the end of the name %s; give --position, e.g. 13.0E\n",
                   file.c_str());
      return std::nullopt;
    }
    auto same = std::find_if(groups.begin(), groups.end(), [&](const PositionFiles& g) {
      return g.position.Tenths == position->Tenths && g.position.hemisphere == position->hemisphere;
    });
    if (same == groups.end()) same = groups.insert(groups.end(), PositionFiles{*position, {}});
    same->files.push_back(file);
  }
  return groups;
}

int CatalogueCode(OrbitalPosition position) {
  return CataloguePositionCode({position.Tenths, position.hemisphere == Hemisphere::East ? CataloguePosition::East
                                                                                          : CataloguePosition::West});
}

// For --all: the scan tables of each catalogue position, in catalogue order,
// and the positions without any.
std::vector<PositionFiles> GroupCatalogueTables(const std::string& tables, std::vector<std::string>& uncovered) {
  std::vector<fs::path> paths;
  for (const fs::directory_entry& entry : fs::directory_iterator(tables)) {
    if (entry.is_regular_file()) paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<PositionFiles> groups;
  for (const CatalogueRow& row : TpCatalogue) {
    PositionFiles group{{row.position.tenths, row.position.side == CataloguePosition::East ? Hemisphere::East
                                                                                           : Hemisphere::West},
                        {}};
    for (const fs::path& path : paths) {
      const std::optional<OrbitalPosition> position = PositionInName(path.filename().string());
      if (position && CatalogueCode(*position) == CataloguePositionCode(row.position)) {
        group.files.push_back(path.string());
      }
    }
    if (group.files.empty()) {
      uncovered.emplace_back(row.posValue);
    } else {
      groups.push_back(std::move(group));
    }
  }
  return groups;
}

// A site made of these lists answers 404 for the positions without one; the
// plug-in's update-all stops at the first of them. Says which steps they are.
void PrintUpdateAllGaps(const std::vector<std::string>& uncovered, std::FILE* out) {
  std::string steps;
  std::size_t first = 0;
  for (std::size_t i = 0; i < kUpdateAllSteps; ++i) {
    const std::string_view pos = UpdateAllOrder()[i]->posValue;
    if (std::find(uncovered.begin(), uncovered.end(), pos) == uncovered.end()) continue;
    if (first == 0) first = i + 1;
    steps += (steps.empty() ? " " : ", ") + std::to_string(i + 1) + " (" + std::string(pos) + ")";
  }
  if (first == 0) return;
  std::fprintf(out,
               "They are update-all steps%s of %zu: the plug-in's update-all from a site of these lists stops at "
               "step %zu (velqtp update-all --keep-going fetches the others)\n",
               steps.c_str(), kUpdateAllSteps, first);
}

}  // namespace

int RunImport(const ImportOptions& options, std::FILE* out, std::FILE* err) {
  if (!options.folder.empty() && !fs::is_directory(options.folder)) {
    std::fprintf(err, "velqtp: no such folder: %s\n", options.folder.c_str());
    return kExitFailure;
  }
  if (options.all == !options.files.empty()) {
    std::fprintf(err, "velqtp: import takes channel files or --all (%s)\n",
                 options.all ? "not both" : "see: velqtp import --help");
    return kExitUsage;
  }
  std::vector<std::string> uncovered;
  std::vector<PositionFiles> groups;
  if (options.all) {
    if (!fs::is_directory(options.tables)) {
      std::fprintf(err, "velqtp: no scan tables in %s (apt-get install dtv-scan-tables)\n", options.tables.c_str());
      return kExitFailure;
    }
    groups = GroupCatalogueTables(options.tables, uncovered);
  } else {
    std::optional<std::vector<PositionFiles>> named = GroupNamedFiles(options, err);
    if (!named) return kExitUsage;
    groups = std::move(*named);
  }

  const std::string folder = FolderWithSeparator(options.folder);
  Totals totals;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const int width = groups.size() >= 10 ? 2 : 1;
    char step[32] = "";
    if (groups.size() > 1) std::snprintf(step, sizeof step, "[%*zu/%zu] ", width, i + 1, groups.size());
    ImportPosition(groups[i], folder, step, totals, out);
  }
  std::fprintf(out, "Wrote %s, %s; skipped %s no descriptor can carry\n",
               CountText(totals.lists, "list", "lists").c_str(), CountText(totals.entries, "entry", "entries").c_str(),
               CountText(totals.skipped, "channel", "channels").c_str());
  if (options.all && !uncovered.empty()) {
    std::string names;
    for (const std::string& pos : uncovered) names += ' ' + pos;
    std::fprintf(out, "No scan table for %s:%s\n",
                 CountText(uncovered.size(), "catalogue position", "catalogue positions").c_str(), names.c_str());
    PrintUpdateAllGaps(uncovered, out);
  }
  return kExitOk;
}

}  // namespace velq
