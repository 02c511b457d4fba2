#pragma once
// velqtp positions and velqtp catalogue: the tables built into the plug-in,
// printed for a terminal (UTF-8).

#include <cstdio>

namespace velq {

// Every orbital position with a satellite name: the position, the code the
// network search names its file with, and the name.
void PrintPositionNames(std::FILE* out);

// The download catalogue in window order, or the update-all sequence.
void PrintCatalogue(std::FILE* out);
void PrintUpdateAllOrder(std::FILE* out);

}  // namespace velq
