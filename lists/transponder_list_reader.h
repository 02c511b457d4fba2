#pragma once
// Reads a transponder list file back: the position code and name of section
// SATTYPE and the entries of section DVB, keys 1..N in key order. Files from
// other tools are read leniently: any line end, blanks around keys, key 0
// not trusted (the entries are counted), lines that are not keys skipped.

#include <string>

#include "search/transponder_list_file.h"

namespace velq {

TransponderList ParseTransponderList(const std::string& bytes);

}  // namespace velq
