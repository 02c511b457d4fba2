// make_nit_layouts: writes one recording per NIT layout the search reads
// (OUT_DIR/NAME.ts) and what a search must find in it (OUT_DIR/NAME.expected),
// for velqtp's tests and the plug-in's tests under the host simulator.

#include <cstdio>
#include <fstream>
#include <string>

#include "tools/nit_builder/nit_layouts.h"
#include "tools/make_sample_ts/sample_stream.h"

namespace {

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

// The NIT's packets with two packets of other PIDs after each, as on a
// transponder.
std::vector<std::uint8_t> Recording(const velq::NitLayout& layout) {
  velq::OtherPidPackets others(7);
  std::vector<std::uint8_t> bytes;
  for (const velq::TsPacket& packet : layout.Packets) {
    bytes.insert(bytes.end(), packet.begin(), packet.end());
    others.Append(bytes, 2);
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: make_nit_layouts OUT_DIR\n"
                         "writes OUT_DIR/NAME.ts and OUT_DIR/NAME.expected for each NIT layout\n");
    return 2;
  }
  const std::string folder = argv[1];
  try {
    for (const velq::NitLayout& layout : velq::BuildNitLayouts()) {
      WriteFile(folder + "/" + layout.Name + ".ts", Recording(layout));
      const std::string expected = velq::ExpectationText(layout);
      WriteFile(folder + "/" + layout.Name + ".expected", {expected.begin(), expected.end()});
      std::printf("%s: %s\n", layout.Name.c_str(), layout.Description.c_str());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_nit_layouts: %s\n", e.what());
    return 1;
  }
  return 0;
}
