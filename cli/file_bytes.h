#pragma once
// A whole small file as bytes: a transponder list, read at once.

#include <optional>
#include <string>

namespace velq {

// nullopt when the file cannot be opened (missing, a folder, no access).
std::optional<std::string> ReadFileBytes(const std::string& path);

}  // namespace velq
