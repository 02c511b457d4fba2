#include "plugin/host_paths.h"

#include <windows.h>

#include <vector>

namespace velq {

std::string HostExecutablePath() {
  for (DWORD size = MAX_PATH;; size *= 2) {
    std::vector<char> buf(size);
    DWORD n = GetModuleFileNameA(nullptr, buf.data(), size);
    if (n < size || size >= 32768) return std::string(buf.data(), n);
  }
}

std::string HostExecutableFolder() {
  std::string path = HostExecutablePath();
  auto cut = path.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace velq
