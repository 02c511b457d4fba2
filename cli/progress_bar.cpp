#include "cli/progress_bar.h"

#include <unistd.h>

#include <algorithm>

namespace velq {
namespace {

constexpr int kBarWidth = 40;

int Percent(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 100;
  return static_cast<int>(std::min<std::uint64_t>(done, total) * 100 / total);
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

std::string ProgressBarLine(std::uint64_t done, std::uint64_t total, int width) {
  const std::uint64_t shown = std::min(done, total);
  const int filled = total == 0 ? width : static_cast<int>(shown * static_cast<std::uint64_t>(width) / total);
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "] %3d%%  %.1f / %.1f MB", Percent(done, total),
                static_cast<double>(shown) / 1e6, static_cast<double>(total) / 1e6);
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(width - filled), '.') + numbers;
}

ProgressBar::ProgressBar(std::FILE* terminal, std::uint64_t total, bool enabled)
    : terminal_(terminal), total_(total), enabled_(enabled) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(std::uint64_t done) {
  if (!enabled_) return;
  const int percent = Percent(done, total_);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  std::fprintf(terminal_, "\r%s", ProgressBarLine(done, total_, kBarWidth).c_str());
  std::fflush(terminal_);
}

void ProgressBar::Finish() {
  if (!enabled_ || shownPercent_ < 0) return;
  std::fputs("\r\x1b[K", terminal_);  // back to the start, erase the line
  std::fflush(terminal_);
  shownPercent_ = -1;
}

}  // namespace velq
