#pragma once
// What a command that replaces a list file tells about it: made before the
// file is replaced, it keeps the old entries; Line() afterwards compares the
// new file with them: "0130.ini: 3 added, 1 removed, 2 changed",
// "0130.ini: new, 93 entries", "0130.ini: unchanged".

#include <optional>
#include <string>
#include <vector>

namespace velq {

class ListChangeReport {
 public:
  explicit ListChangeReport(std::string path);
  std::string Line() const;

 private:
  std::string path_;
  std::optional<std::vector<std::string>> oldEntries_;  // nullopt: there was no file
};

}  // namespace velq
