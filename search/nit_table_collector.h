#pragma once
// Collects checked sections of one table_id into one complete table: by
// section_number, for one network_id and version. A section of another
// network_id, version or last_section_number starts the collection again,
// so a table never mixes versions; so does a section that has the number of
// one held but other contents. The table is complete when sections 0 to
// last_section_number are all in, in whatever order they came.

#include <cstdint>
#include <span>
#include <vector>

namespace velq {

inline constexpr std::uint8_t kNitActualTableId = 0x40;

class NitTableCollector {
 public:
  explicit NitTableCollector(std::uint8_t tableId = kNitActualTableId);

  // Takes a section that passed the splitter's checks. True when this very
  // section completed the table. Sections of other tables, and repeats of a
  // complete table, are ignored.
  bool Add(std::span<const std::uint8_t> section);

  bool Complete() const { return complete_; }
  std::uint16_t NetworkId() const { return networkId_; }
  std::uint8_t Version() const { return version_; }
  // The whole sections (header and CRC included), in section_number order;
  // meaningful once Complete().
  const std::vector<std::vector<std::uint8_t>>& Sections() const { return sections_; }

  void Reset();

 private:
  void StartCollecting(std::uint16_t networkId, std::uint8_t version, std::uint8_t lastSection);

  std::uint8_t tableId_;
  bool collecting_ = false;
  bool complete_ = false;
  std::uint16_t networkId_ = 0;
  std::uint8_t version_ = 0;
  std::size_t missing_ = 0;
  std::vector<std::vector<std::uint8_t>> sections_;  // empty: not yet in
};

}  // namespace velq
