#include "cli/site_index.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>

#include "cli/served_file.h"
#include "cli/windows1252.h"
#include "lists/transponder_list_reader.h"
#include "webupdate/catalogue_position.h"
#include "webupdate/tp_catalogue.h"

namespace velq {
namespace {

constexpr std::string_view kHead = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Transponder lists</title>
<style>
body { font: 16px/1.4 system-ui, sans-serif; margin: 0 auto; padding: 0.5em 1em 2em; max-width: 64em;
       color: #1b1b1b; background: #fff; }
h1 { font-size: 1.5em; margin: 0.5em 0 0.2em; }
table { border-collapse: collapse; width: 100%; }
th, td { text-align: left; padding: 0.35em 0.6em; border-bottom: 1px solid #ddd; vertical-align: top; }
thead th { background: #eef2f6; }
tbody th { background: #f7f7f7; padding-top: 0.9em; font-size: 0.95em; }
td.n, th.n { text-align: right; }
tr.none td { color: #767676; }
a { color: #0b57a4; font-weight: 600; }
@media (max-width: 40em) {
  table, tbody, tr, td, tbody th { display: block; }
  thead { display: none; }
  tr { border: 1px solid #ccc; border-radius: 6px; margin: 0 0 0.5em; padding: 0.35em 0.6em; }
  tr.group { border: 0; margin: 0; padding: 0; }
  tbody th { border: 0; background: none; padding: 0.8em 0 0.3em; }
  td { border: 0; padding: 0.1em 0; }
  td.n { text-align: left; }
  td.pos, td.sat { display: inline; font-weight: 600; padding-right: 0.4em; }
  td[data-label]::before { content: attr(data-label) ": "; color: #555; font-weight: normal; }
  tr.none td { display: inline; font-weight: normal; }
  tr.none td.file { display: none; }
  td.miss::before { content: "\2014  "; }
}
</style>
</head>
<body>
<h1>Transponder lists</h1>
)";

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

// Windows-1252 bytes of a file or the catalogue, shown as text.
std::string Shown(std::string_view windows1252) { return HtmlEscaped(Windows1252ToUtf8(windows1252)); }

std::string DegreesShown(CataloguePosition position) {
  const std::string pos = PosQueryValue(position);  // "13.0E"
  return pos.substr(0, pos.size() - 1) + "\xC2\xB0" + pos.back();
}

std::string UtcTime(std::time_t time, const char* format) {
  std::tm tm{};
  gmtime_r(&time, &tm);
  char text[40];
  std::strftime(text, sizeof text, format, &tm);
  return text;
}

// Appends the row of one position; `caption` (the catalogue's) is shown when
// the list names no satellite. True when the position has a list.
bool AppendPositionRow(std::string& rows, CataloguePosition position, std::string_view caption,
                       const std::string& folder) {
  const std::string fileName = CatalogueFileName(position);
  const std::optional<ServedFile> file = ReadServedFile(folder + '/' + fileName);
  const std::string pos = PosQueryValue(position);
  std::string row = std::string(file ? "<tr>" : "<tr class=\"none\">") + "<td class=\"pos\">" +
                    DegreesShown(position) + "</td><td class=\"sat\">";
  if (!file) {
    rows += row + Shown(caption) + "</td><td class=\"file\" data-label=\"File\">" + fileName +
            "</td><td class=\"miss\" colspan=\"3\">no list on this site</td></tr>\n";
    return false;
  }
  const TransponderList list = ParseTransponderList(file->bytes);
  row += Shown(list.satPositionName.empty() ? caption : list.satPositionName);
  row += "</td><td data-label=\"File\">" + fileName + "</td><td class=\"n\" data-label=\"Entries\">" +
         std::to_string(list.entries.size()) + "</td><td data-label=\"Changed\"><time datetime=\"" +
         UtcTime(file->modified, "%Y-%m-%dT%H:%M:%SZ") + "\">" + UtcTime(file->modified, "%Y-%m-%d %H:%M UTC") +
         "</time></td><td><a href=\"dl.php?pos=" + pos + "\" download=\"" + fileName + "\">Download " + pos +
         "</a></td></tr>\n";
  rows += row;
  return true;
}

// Codes of the list files in `folder` that the catalogue does not name.
std::set<int> OtherListCodes(const std::string& folder) {
  std::set<int> codes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != 8 || name.substr(4) != ".ini") continue;
    if (name.find_first_not_of("0123456789") != 4) continue;
    const int code = std::stoi(name.substr(0, 4));
    if (code < 3600 && !FindRowByPositionCode(code)) codes.insert(code);
  }
  return codes;
}

}  // namespace

std::string SiteIndexPage(const std::string& folder) {
  std::string rows;
  std::size_t withList = 0;
  int column = 0;
  for (const CatalogueRow& row : TpCatalogue) {
    if (row.column != column) {
      column = row.column;
      rows += "<tr class=\"group\"><th colspan=\"6\">" + Shown(ColumnLabel(column)) + "</th></tr>\n";
    }
    withList += AppendPositionRow(rows, row.position, row.caption, folder);
  }
  const std::set<int> others = OtherListCodes(folder);
  if (!others.empty()) rows += "<tr class=\"group\"><th colspan=\"6\">Other positions</th></tr>\n";
  for (int code : others) {
    const CataloguePosition position = code <= 1800 ? CataloguePosition{code, CataloguePosition::East}
                                                    : CataloguePosition{3600 - code, CataloguePosition::West};
    AppendPositionRow(rows, position, "", folder);
  }
  return std::string(kHead) + "<p>" + std::to_string(withList) + " of " + std::to_string(TpCatalogue.size()) +
         " positions of the plug-in&#39;s catalogue have a list here. Each link downloads one list file; "
         "the plug-in&#39;s Web Update and <code>velqtp fetch</code> fetch the same files.</p>\n"
         "<table>\n<thead><tr><th>Position</th><th>Satellite</th><th>File</th><th class=\"n\">Entries</th>"
         "<th>Last changed</th><th>Download</th></tr></thead>\n<tbody>\n" +
         rows + "</tbody>\n</table>\n</body>\n</html>\n";
}

}  // namespace velq
