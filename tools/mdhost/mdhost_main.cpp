// mdhost.exe: the host library in a window a person can use.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/mdhost/command_line.h"
#include "tools/mdhost/md_host.h"

namespace {

void printMenu(const std::vector<mdhost::MenuTemplateItem>& items, int depth) {
  for (const auto& item : items) {
    std::string text(item.text.begin(), item.text.end());  // menu texts here are plain ASCII
    std::printf("  %*s%s  (id %u, flags 0x%04X)\n", depth * 2, "", text.c_str(), item.id, item.flags);
    printMenu(item.children, depth + 1);
  }
}

int runMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int main(int argc, char** argv) {
  mdhost::CommandLine line = mdhost::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.help) {
    std::fputs(mdhost::kUsage, stdout);
    return 0;
  }
  if (!line.error.empty()) {
    std::fprintf(stderr, "mdhost: %s\n\n%s", line.error.c_str(), mdhost::kUsage);
    return 2;
  }
  if (!line.tsPath.empty() && !std::ifstream(line.tsPath, std::ios::binary)) {
    std::fprintf(stderr, "mdhost: cannot open %s\n", line.tsPath.c_str());
    return 2;
  }
  try {
    mdhost::HostOptions options;
    options.tsPath = line.tsPath;
    options.pace = std::chrono::milliseconds(line.paceMs);
    options.visible = true;
    options.quitOnClose = true;
    mdhost::MdHost host(options);
    host.open(line.pluginPath);
    std::printf("Loaded %s, name \"%s\". Plug-in menu:\n", line.pluginPath.c_str(), host.pluginName().c_str());
    printMenu(host.menuItems(), 0);
    for (const std::string& name : host.plugin()->missingExports()) std::printf("Missing export: %s\n", name.c_str());
    std::fflush(stdout);
    for (unsigned id : line.menuPicks) host.selectMenuItem(id);
    int exitCode = runMessageLoop();
    host.close();  // only now is no plug-in code left on the stack
    return exitCode;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mdhost: %s\n", e.what());
    return 1;
  }
}
