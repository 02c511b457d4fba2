#pragma once
// A one-line progress bar on a terminal, redrawn in place. Only drawn where a
// person watches: a bar written into a log or a pipe is noise.

#include <cstdint>
#include <cstdio>
#include <string>

namespace velq {

bool IsTerminal(std::FILE* stream);

// "[#########...........]  42%  123.4 / 293.7 MB", `width` characters of bar.
std::string ProgressBarLine(std::uint64_t done, std::uint64_t total, int width);

class ProgressBar {
 public:
  // Draws nothing unless `enabled`.
  ProgressBar(std::FILE* terminal, std::uint64_t total, bool enabled);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Redraws when the percentage shown changes.
  void Update(std::uint64_t done);
  // Clears the line, so that what follows starts on a clean one.
  void Finish();

 private:
  std::FILE* terminal_;
  std::uint64_t total_;
  bool enabled_;
  int shownPercent_ = -1;
};

}  // namespace velq
