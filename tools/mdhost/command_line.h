#pragma once
// mdhost.exe's arguments: PLUGIN.dll [--ts FILE.ts] [--pace-ms N] [--menu ID]... [--help].

#include <string>
#include <vector>

namespace mdhost {

struct CommandLine {
  std::string pluginPath;
  std::string tsPath;
  int paceMs = 1;
  std::vector<unsigned> menuPicks;  // plug-in menu ids to pick at start, in order
  bool help = false;
  std::string error;  // empty when the arguments make sense
};

// ARGS without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

extern const char* const kUsage;

}  // namespace mdhost
