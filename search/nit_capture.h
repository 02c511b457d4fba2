#pragma once
// The network search's capture: opens and closes the host's filter for PID
// 0x0010, assembles the NIT actual (table 0x40) from the payloads delivered,
// and runs the parser once, on the first complete table of each search.
//
// Payloads go through a SectionSplitter (whole, checked sections) into a
// NitTableCollector (one version, all sections); see those two for the rules.
//
// Threads: the host delivers on a thread of its own while the GUI thread
// starts and stops searches and polls SearchDone(); one mutex guards the
// capture state. The host is never called with that mutex held, because the
// host answers a stop by joining its delivery thread, which may be waiting
// for it. The sink is called with the mutex held and must not call back.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "search/nit_parser.h"
#include "search/nit_table_collector.h"
#include "search/psi_section_splitter.h"

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

class NitCapture {
 public:
  // Idle until the first StartSearch(). `decimalSeparator` is used in the
  // satellite line.
  NitCapture(NitFilterHost& host, NitEntrySink& sink, char decimalSeparator);
  NitCapture(const NitCapture&) = delete;
  NitCapture& operator=(const NitCapture&) = delete;

  // One delivery of the host's filter callback: payloads without their TS
  // header, so where sections start is inferred. A delivery of several
  // whole 184-byte payloads is read as those payloads. Never throws; keeps
  // no pointer to Data and never reads past Len bytes.
  void Deliver(std::int32_t Len, const std::uint8_t* Data) noexcept;
  // One packet's payload (after any adaptation field) when the TS header is
  // known, as velqtp reads it.
  void Deliver(std::int32_t Len, const std::uint8_t* Data, PayloadStart start) noexcept;
  // A packet of the PID was lost (continuity counter gap).
  void Discontinuity() noexcept;

  // Restarts the host's filter and waits for a new table.
  void StartSearch();
  // Closes the filter and ends the search without parsing.
  void StopSearch();
  void StopNitFilter();

  // True when no search runs or its table has been parsed.
  bool SearchDone() const { return searchDone_.load(); }
  // The position the last decoded descriptor set, for saving the list.
  SatPosition Position() const;

 private:
  void DeliverLocked(std::span<const std::uint8_t> payload, PayloadStart start);
  void OnSection(std::span<const std::uint8_t> section);
  void ResetAssembly();

  NitFilterHost& host_;
  NitEntrySink& sink_;
  const char decimalSeparator_;

  mutable std::mutex mutex_;
  SectionSplitter splitter_;
  NitTableCollector collector_;
  SatPosition position_;
  std::atomic<bool> searchDone_{true};
};

}  // namespace velq
