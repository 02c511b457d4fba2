#pragma once
// The transponder list file of one orbital position, in the host's ".ini"
// form, built as Windows-1252 bytes with CR LF line ends:
//
//   ;    [Created by Velq Transponders Updater 2024-03-09 18:05:42]
//   [SATTYPE]
//   1=0192
//   2=Astra 1F/1G/1H/1KR/1L (19,2°E)
//   [DVB]
//   0=2
//   1=11727,V,27500,34,DVB-S,QPSK
//   2=12188,H,27500,23,DVB-S2,8PSK
//
// Values are written as they are: no quotes, no escaping.

#include <string>
#include <vector>

#include "search/local_date_time.h"

namespace velq {

struct TransponderList {
  std::string satPositionCode;      // "0192"; also the file's base name
  std::string satPositionName;      // may be empty
  std::vector<std::string> entries;  // entry texts, in list order
};

// "0192" -> "0192.ini".
std::string TransponderListFileName(const std::string& satPositionCode);

// The header comment line with its CR LF. The time separator is the user's
// locale's (the plug-in asks Windows; velqtp uses ':').
std::string CreatedByLine(const LocalDateTime& created, char timeSeparator);

// Everything after the header: [SATTYPE] with keys 1 and 2, then [DVB] with
// key 0 = the entry count and keys 1..N = the entries.
std::string TransponderListSections(const TransponderList& list);

// The whole file: header line, then the sections.
std::string TransponderListFileBytes(const TransponderList& list, const LocalDateTime& created,
                                     char timeSeparator);

}  // namespace velq
