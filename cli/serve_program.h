#pragma once
// velqtp serve runs in velqtp-serve, a build of velqtp with the web server
// in it. The server's library brings TLS and compression libraries along,
// which take milliseconds to load and relocate: velqtp without them starts
// as quickly as a scan of a large recording needs, and hands `serve` on.

#include <cstdio>

namespace velq {

inline constexpr const char* kServeProgramName = "velqtp-serve";

// Replaces this process by velqtp-serve from velqtp's own folder, with the
// same arguments (and so the same process id, standard streams and
// signals). Returns only when that fails, with the exit status.
int StartServeProgram(char** argv, std::FILE* err);

}  // namespace velq
