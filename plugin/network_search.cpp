#include "plugin/network_search.h"

#include "plugin/host_guard.h"
#include "plugin/host_link.h"

namespace {

// The host's filter callback: cdecl, three word-sized arguments.
void __cdecl NitFilterCallback(UINT_PTR, int Len, const BYTE* Data) {
  velq::GuardHostCall([&] { velq::NetworkSearch::Instance().capture().Deliver(Len, Data); });
}

char LocaleDecimalSeparator() {
  char sep[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, sizeof sep) > 1) return sep[0];
  return '.';
}

}  // namespace

namespace velq {

NetworkSearch& NetworkSearch::Instance() {
  static NetworkSearch search;
  return search;
}

NetworkSearch::NetworkSearch() : capture_(*this, *this, LocaleDecimalSeparator()) {}

void NetworkSearch::SetResultWindow(HWND window) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  resultWindow_ = window;
}

std::vector<ParserResult> NetworkSearch::TakeResults() {
  std::lock_guard<std::mutex> lock(queueMutex_);
  std::vector<ParserResult> taken;
  taken.swap(queue_);
  return taken;
}

void NetworkSearch::SendStartFilter() { HostLink::Instance().StartNitFilter(&NitFilterCallback); }
void NetworkSearch::SendStopFilter() { HostLink::Instance().StopNitFilter(); }

void NetworkSearch::AddCheckedEntry(const std::string& text) { Queue({ParserResult::kEntry, text}); }
void NetworkSearch::SetSatelliteLine(const std::string& text) {
  Queue({ParserResult::kSatelliteLine, text});
}

void NetworkSearch::Queue(ParserResult result) {
  std::lock_guard<std::mutex> lock(queueMutex_);
  const bool wake = queue_.empty();
  queue_.push_back(std::move(result));
  // One wake-up per batch; the window drains the whole queue.
  if (wake && resultWindow_) PostMessageA(resultWindow_, kMsgParserResults, 0, 0);
}

}  // namespace velq
