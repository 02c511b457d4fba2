#pragma once
// The network search's plumbing between the host's delivery thread and the
// search window: the capture runs on the host's thread, and what the parser
// finds is queued and handed to the window's thread with a posted message.
// Nothing on the host's thread touches a window.

#include <windows.h>

#include <vector>

#include "search/nit_capture.h"
#include "search/parser_results.h"

namespace velq {

// Posted to the search window when parser results are waiting.
inline constexpr UINT kMsgParserResults = WM_APP + 1;

class NetworkSearch : private NitFilterHost {
 public:
  static NetworkSearch& Instance();

  NitCapture& capture() { return capture_; }
  // The window that receives kMsgParserResults (null: results only queue).
  void SetResultWindow(HWND window);
  // Takes everything queued so far, in the order the parser produced it.
  std::vector<ParserResult> TakeResults() { return queue_.Take(); }
  // What a tick of the search window's timer sees (PollSearch).
  SearchPoll Poll();

 private:
  NetworkSearch();
  void SendStartFilter() override;
  void SendStopFilter() override;

  ParserResultQueue queue_;  // before capture_, whose sink it is
  NitCapture capture_;
};

}  // namespace velq
