#pragma once
// The network search's plumbing between the host's delivery thread and the
// search window: the capture runs on the host's thread, and what the parser
// finds is queued and handed to the window's thread with a posted message.
// Nothing on the host's thread touches a window.

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "search/nit_capture.h"

namespace velq {

// Posted to the search window when parser results are waiting.
inline constexpr UINT kMsgParserResults = WM_APP + 1;

struct ParserResult {
  enum Kind { kEntry, kSatelliteLine } kind;
  std::string text;
};

class NetworkSearch : private NitFilterHost, private NitEntrySink {
 public:
  static NetworkSearch& Instance();

  NitCapture& capture() { return capture_; }
  // The window that receives kMsgParserResults (null: results only queue).
  void SetResultWindow(HWND window);
  // Takes everything queued so far, in the order the parser produced it.
  std::vector<ParserResult> TakeResults();

 private:
  NetworkSearch();
  void SendStartFilter() override;
  void SendStopFilter() override;
  void AddCheckedEntry(const std::string& text) override;
  void SetSatelliteLine(const std::string& text) override;
  void Queue(ParserResult result);

  std::mutex queueMutex_;
  std::vector<ParserResult> queue_;
  HWND resultWindow_ = nullptr;
  NitCapture capture_;
};

}  // namespace velq
