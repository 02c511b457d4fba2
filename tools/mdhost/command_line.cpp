#include "tools/mdhost/command_line.h"

#include <charconv>

namespace mdhost {
namespace {

constexpr int kMaxPaceMs = 60'000;

bool parsePace(const std::string& text, int& pace) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pace);
  return error == std::errc() && end == text.data() + text.size() && pace >= 0 && pace <= kMaxPaceMs;
}

bool parseMenuId(const std::string& text, unsigned& id) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  return error == std::errc() && end == text.data() + text.size() && id > 0 && id <= 0xFFFF;
}

}  // namespace

const char* const kUsage =
    "Usage: mdhost.exe PLUGIN.dll [--ts FILE.ts] [--pace-ms N] [--menu ID]...\n"
    "\n"
    "A small MD-API host for trying a plug-in without a receiver. It loads\n"
    "PLUGIN.dll, merges the plug-in's menu into its \"Plugins\" menu, and lists\n"
    "in its window what the plug-in sends and what the host calls.\n"
    "\n"
    "  --ts FILE.ts   answer the plug-in's section filters with the payloads of\n"
    "                 the requested PID from this transport stream (188-byte\n"
    "                 packets), looping the file until the filter is stopped\n"
    "  --pace-ms N    pause N milliseconds after each payload (default 1, 0 for\n"
    "                 no pause; at most 60000)\n"
    "  --menu ID      pick the plug-in's menu item ID once loaded, as a person\n"
    "                 would (e.g. 40065); may be given more than once\n"
    "  --help         show this text\n"
    "\n"
    "Closing the window calls On_Exit, stops running filters and unloads the\n"
    "plug-in.\n";

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size() && line.error.empty(); ++i) {
    const std::string& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      line.help = true;
    } else if (arg == "--ts") {
      if (!hasValue) line.error = "--ts needs a file";
      else line.tsPath = args[++i];
    } else if (arg == "--pace-ms") {
      if (!hasValue || !parsePace(args[++i], line.paceMs))
        line.error = "--pace-ms needs a whole number of milliseconds from 0 to 60000";
    } else if (arg == "--menu") {
      unsigned id = 0;
      if (!hasValue || !parseMenuId(args[++i], id))
        line.error = "--menu needs a menu item id from 1 to 65535";
      else
        line.menuPicks.push_back(id);
    } else if (arg.starts_with("--")) {
      line.error = "unknown option " + arg;
    } else if (!line.pluginPath.empty()) {
      line.error = "only one plug-in at a time (" + line.pluginPath + ", " + arg + ")";
    } else {
      line.pluginPath = arg;
    }
  }
  if (line.error.empty() && !line.help && line.pluginPath.empty()) line.error = "no plug-in given";
  return line;
}

}  // namespace mdhost
