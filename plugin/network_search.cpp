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

NetworkSearch::NetworkSearch() : capture_(*this, queue_, LocaleDecimalSeparator()) {}

void NetworkSearch::SetResultWindow(HWND window) {
  // One wake-up per batch; the window drains the whole queue.
  if (window)
    queue_.SetWake([window] { PostMessageA(window, kMsgParserResults, 0, 0); });
  else
    queue_.SetWake({});
}

SearchPoll NetworkSearch::Poll() {
  return PollSearch([this] { return capture_.SearchDone(); }, [this] { return queue_.Take(); });
}

void NetworkSearch::SendStartFilter() { HostLink::Instance().StartNitFilter(&NitFilterCallback); }
void NetworkSearch::SendStopFilter() { HostLink::Instance().StopNitFilter(); }

}  // namespace velq
