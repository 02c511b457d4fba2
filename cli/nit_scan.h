#pragma once
// The network search run on a recorded transport stream: the payloads of
// PID 0x0010 go through the capture and parser the plug-in uses, from the
// start of a search until the first complete table has been parsed. The
// packet headers tell the capture where units start and where packets were
// lost, which the plug-in's host does not.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "search/nit_parser.h"
#include "search/vector_check_list.h"

namespace velq {

inline constexpr std::uint16_t kNitPacketPid = 0x0010;
// The size of a read, the one cat uses: a larger block made no scan faster
// but costs a page fault per 4 KiB to set up, which is a good part of a
// short scan. The tail the framer keeps is moved to the front of the next
// block.
inline constexpr std::size_t kScanBlockSize = 128 << 10;

struct NitScanResult {
  bool tableParsed = false;
  VectorCheckList list;       // as the parser added them, in entry order
  std::string satelliteLine;  // Windows-1252; empty without a valid entry
  SatPosition position;       // of the last descriptor decoded
  std::uint64_t bytesRead = 0;
  std::uint64_t packets = 0;       // transport-stream packets framed, of every PID
  std::size_t packetDistance = 0;  // 188, 192 or 204 at the end; 0 when not locked
};

// Fills `buffer` with up to `capacity` bytes and returns the count; 0 at
// the end of the input.
using BlockReader = std::function<std::size_t(std::uint8_t* buffer, std::size_t capacity)>;
// The bytes read so far, after every block.
using ScanProgress = std::function<void(std::uint64_t bytesRead)>;

class NitOtherNetworks;

// Reads until the table is parsed or the input ends. Satellite lines use a
// point as the decimal separator. With `others`, the payloads also go there
// and reading goes on to the end of the input.
NitScanResult ScanForNit(const BlockReader& read, const ScanProgress& onProgress = {},
                         NitOtherNetworks* others = nullptr);

}  // namespace velq
