#pragma once
// The download site's page for people, at / and /index.html: every position
// of the catalogue in the plug-in's window order (its column headings as
// groups), each with its satellite, file, number of entries, time of its
// last change and a download link, or shown as having no list; then lists of
// the folder at positions outside the catalogue. Plain HTML and CSS in
// UTF-8 (the lists' Windows-1252 names converted), readable on a phone: the
// table becomes one card per position on a narrow screen. Everything taken
// from the files is HTML-escaped.

#include <string>

namespace velq {

// The page for the lists in `folder` as they are now. The same lists give
// the same bytes (no clock in the page), so its tag changes only with them.
std::string SiteIndexPage(const std::string& folder);

}  // namespace velq
