#pragma once
// Assembles the NIT actual from the payloads of PID 0x0010 that the host
// delivers, and runs the parser once per search when the table is complete.
//
// Threads: the host delivers on a thread of its own while the GUI thread
// starts and stops searches and polls SearchDone(); one mutex guards the
// capture state. The host is never called with that mutex held, because the
// host answers a stop by joining its delivery thread, which may be waiting
// for it. The sink is called with the mutex held and must not call back.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "search/nit_parser.h"
#include "search/nit_stream.h"

namespace velq {

// The host's section filter, as the plug-in drives it.
class NitFilterHost {
 public:
  virtual ~NitFilterHost() = default;
  // Opens the filter for PID 0x0010 with the capture's callback.
  virtual void SendStartFilter() = 0;
  // Closes the filter the last start opened, whether or not it still runs.
  virtual void SendStopFilter() = 0;
};

// A snapshot of the capture state, for tests and diagnostics.
struct NitCaptureCounters {
  std::int32_t NitSectionLen = 0;  // rounded; 0 or 4095: no section under way
  std::int32_t NitLastSectionNo = 0;
  std::int32_t NitSectionsSeen = 0;   // section starts since the last reset
  std::int32_t NitExpectedBytes = 0;  // sum of their rounded lengths
  std::int64_t StreamPosition = 0;
  std::int64_t StreamSize = 0;
};

using NitBufferBytes = std::array<std::uint8_t, kNitBufferSize>;

class NitCapture {
 public:
  // Idle until the first StartSearch(). `decimalSeparator` is used in the
  // satellite line.
  NitCapture(NitFilterHost& host, NitEntrySink& sink, char decimalSeparator);
  NitCapture(const NitCapture&) = delete;
  NitCapture& operator=(const NitCapture&) = delete;

  // One delivery of the host's filter callback. Never throws; keeps no
  // pointer to Data and never reads past Len bytes.
  void Deliver(std::int32_t Len, const std::uint8_t* Data) noexcept;

  // Zeroes the section count, restarts the host's filter on a fresh stream,
  // then waits for a table with an empty stream.
  void StartSearch();
  // Closes the filter and ends the search without parsing.
  void StopSearch();
  void StopNitFilter();

  // True when no search runs or its table has been parsed.
  bool SearchDone() const { return searchDone_.load(); }
  // The position the last decoded descriptor set, for saving the list.
  SatPosition Position() const;

  NitCaptureCounters Counters() const;
  NitBufferBytes NitBuffer() const;

 private:
  void StartNitFilter();
  void DeliverLocked(std::int32_t Len, const std::uint8_t* Data);
  void ResetCapture();
  bool TableComplete() const;
  void CopyTableToNitBuffer();
  void ParseTable();

  NitFilterHost& host_;
  NitEntrySink& sink_;
  const char decimalSeparator_;

  mutable std::mutex mutex_;
  NitStream stream_;
  std::int32_t NitSectionLen = 0;
  std::int32_t NitLastSectionNo = 0;
  std::int32_t NitSectionsSeen = 0;
  std::int32_t NitExpectedBytes = 0;
  std::int64_t sectionEnd_ = 0;  // stream position where the section under way ends
  NitBufferBytes nitBuffer_{};
  SatPosition position_;
  std::atomic<bool> searchDone_{true};
};

}  // namespace velq
