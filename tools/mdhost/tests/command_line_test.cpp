#include "tools/mdhost/command_line.h"

#include <gtest/gtest.h>

namespace mdhost {
namespace {

TEST(CommandLine, AcceptsThePluginAndItsOptionsInAnyOrderAndRefusesTheRest) {
  auto line = parseCommandLine({"--pace-ms", "0", "--menu", "40065", "Plug.dll", "--ts", "nit.ts", "--menu", "40068"});
  EXPECT_EQ(line.error + "|" + line.pluginPath + "|" + line.tsPath, "|Plug.dll|nit.ts");
  EXPECT_EQ(line.paceMs, 0);
  EXPECT_EQ(line.menuPicks, (std::vector<unsigned>{40065, 40068}));
  EXPECT_EQ(parseCommandLine({"--help"}).error, "");  // help needs no plug-in
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"a.dll", "b.dll"}, {"a.dll", "--ts"}, {"a.dll", "--pace-ms", "-1"}, {"a.dll", "--pace-ms", "60001"},
           {"a.dll", "--verbose"}, {"a.dll", "--menu", "0"}, {"a.dll", "--menu", "65536"}, {"a.dll", "--menu", "x"}})
    EXPECT_NE(parseCommandLine(args).error, "") << testing::PrintToString(args);
}

}  // namespace
}  // namespace mdhost
