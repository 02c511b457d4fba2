#pragma once
// The network's name as velqtp prints it: the network_name_descriptor (tag
// 0x40) among a NIT's network descriptors.

#include <span>
#include <string>

#include "search/nit_parser.h"

namespace velq {

// The first name in the sections, in UTF-8; empty without one. UTF-8 text
// (character table byte 0x15) is kept; other tables are read as Latin-1,
// which covers the letters of the common ones; control codes are dropped.
std::string NetworkNameOf(std::span<const NitSectionBytes> sections);

}  // namespace velq
