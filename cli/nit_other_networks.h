#pragma once
// velqtp scan --all-networks: the NIT other tables (0x41) of a recording, one
// per network_id. Sections pass the same splitter checks and collection rules
// as the NIT actual's; the first complete table of each network is decoded
// by the same parser, and later sections of that network are ignored, so a
// version change after completion does not lose the table. What a hostile or
// broken stream can make it keep is bounded (see below).

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "search/nit_parser.h"
#include "search/nit_table_collector.h"
#include "search/psi_section_splitter.h"
#include "search/vector_check_list.h"

namespace velq {

inline constexpr std::uint8_t kNitOtherTableId = 0x41;
// A transponder carries the tables of a few dozen other networks, a few KB
// each. Sections of networks beyond the first kMaxOtherNetworks are ignored,
// and so is a section that would take the bytes held (sections of tables
// under way, and of complete ones, whose decoded lists stand for them) past
// kMaxOtherSectionBytes: room for 16 tables of the largest size.
inline constexpr std::size_t kMaxOtherNetworks = 256;
inline constexpr std::size_t kMaxOtherSectionBytes = 16u << 20;

struct OtherNetwork {
  std::uint16_t networkId = 0;
  bool complete = false;
  // Filled once complete:
  std::string name;           // network_name_descriptor, UTF-8; empty without one
  VectorCheckList list;       // as the parser added them
  std::string satelliteLine;  // Windows-1252; empty without a valid entry
  SatPosition position;       // of the table's last descriptor
};

class NitOtherNetworks {
 public:
  NitOtherNetworks();
  NitOtherNetworks(const NitOtherNetworks&) = delete;
  NitOtherNetworks& operator=(const NitOtherNetworks&) = delete;

  // One packet's payload of PID 0x0010, its start known from the TS header.
  void Push(std::span<const std::uint8_t> payload, bool unitStart);
  // Packets of the PID were lost.
  void Discontinuity();

  // Every network whose sections came, complete or not, by network_id.
  const std::map<std::uint16_t, OtherNetwork>& Networks() const { return networks_; }
  // The bytes of the sections held, within kMaxOtherSectionBytes.
  std::size_t SectionBytes() const { return sectionBytes_; }
  // What was ignored for want of room under the bounds, a line for each
  // bound hit; none when all fitted.
  std::vector<std::string> BoundNotes() const;

 private:
  void OnSection(std::span<const std::uint8_t> section);

  SectionSplitter splitter_;
  std::map<std::uint16_t, NitTableCollector> collectors_;
  std::map<std::uint16_t, OtherNetwork> networks_;
  std::size_t sectionBytes_ = 0;
  bool networkBoundHit_ = false;
  bool byteBoundHit_ = false;
};

}  // namespace velq
