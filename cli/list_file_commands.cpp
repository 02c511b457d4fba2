#include "cli/list_file_commands.h"

#include <optional>

#include "cli/exit_codes.h"
#include "cli/file_bytes.h"
#include "cli/windows1252.h"
#include "lists/dvbv5_export.h"
#include "lists/list_changes.h"
#include "lists/transponder_list_reader.h"
#include "plugin/version.h"

namespace velq {
namespace {

std::optional<TransponderList> ReadList(const std::string& path, std::FILE* err) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) {
    std::fprintf(err, "velqtp: cannot read %s\n", path.c_str());
    return std::nullopt;
  }
  return ParseTransponderList(*bytes);
}

}  // namespace

int RunExport(const std::string& listPath, std::FILE* out, std::FILE* err) {
  const std::optional<TransponderList> list = ReadList(listPath, err);
  if (!list) return kExitFailure;
  const std::string comment = "Transponder list " + list->satPositionCode + " " +
                              Windows1252ToUtf8(list->satPositionName) + "\nExported by velqtp " VELQ_VERSION_TEXT
                              " from " + listPath;
  const Dvbv5Export exported = ExportDvbv5(list->entries, comment);
  std::fputs(exported.text.c_str(), out);
  for (const std::string& entry : exported.unreadable) {
    std::fprintf(err, "velqtp: left out \"%s\": not an entry of the form 11727,V,27500,34,DVB-S,QPSK\n",
                 Windows1252ToUtf8(entry).c_str());
  }
  return kExitOk;
}

int RunDiff(const std::string& oldPath, const std::string& newPath, std::FILE* out, std::FILE* err) {
  const std::optional<TransponderList> before = ReadList(oldPath, err);
  const std::optional<TransponderList> after = ReadList(newPath, err);
  if (!before || !after) return kExitFailure;
  const ListChanges changes = CompareEntryLists(before->entries, after->entries);
  for (const std::string& entry : changes.removed) std::fprintf(out, "- %s\n", Windows1252ToUtf8(entry).c_str());
  for (const std::string& entry : changes.added) std::fprintf(out, "+ %s\n", Windows1252ToUtf8(entry).c_str());
  for (const auto& [was, is] : changes.changed) {
    std::fprintf(out, "~ %s -> %s\n", Windows1252ToUtf8(was).c_str(), Windows1252ToUtf8(is).c_str());
  }
  std::fprintf(out, "%s\n", ListChangeSummary(changes).c_str());
  return kExitOk;
}

}  // namespace velq
