#pragma once
// The catalogue row a user names on the command line.

#include <string_view>

#include "webupdate/tp_catalogue.h"

namespace velq {

// A `pos` value as the site knows it ("13.0E", "0.8W"; letter case and a
// missing ".0" are forgiven: "13e", "7W"), or the four-digit code of the
// stored file ("0130", "3530", also "0130.ini"). nullptr when no row matches.
const CatalogueRow* FindRowByArgument(std::string_view argument);

}  // namespace velq
