#include "cli/list_change_report.h"

#include <filesystem>

#include "cli/count_text.h"
#include "cli/file_bytes.h"
#include "lists/list_changes.h"
#include "lists/transponder_list_reader.h"

namespace velq {
namespace {

std::optional<std::vector<std::string>> EntriesOf(const std::string& path) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return ParseTransponderList(*bytes).entries;
}

}  // namespace

ListChangeReport::ListChangeReport(std::string path) : path_(std::move(path)), oldEntries_(EntriesOf(path_)) {}

std::string ListChangeReport::Line() const {
  const std::string name = std::filesystem::path(path_).filename().string();
  const std::vector<std::string> entries = EntriesOf(path_).value_or(std::vector<std::string>{});
  if (!oldEntries_) return name + ": new, " + CountText(entries.size(), "entry", "entries");
  return name + ": " + ListChangeSummary(CompareEntryLists(*oldEntries_, entries));
}

}  // namespace velq
