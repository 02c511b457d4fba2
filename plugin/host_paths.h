#pragma once
// Paths the plug-in derives from the host application's executable (the
// process's main module, not this DLL).

#include <string>

namespace velq {

// The full path of the host's executable.
std::string HostExecutablePath();
// Its folder, cut after the last backslash or colon (the separator kept).
std::string HostExecutableFolder();

}  // namespace velq
