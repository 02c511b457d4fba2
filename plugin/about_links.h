#pragma once
// Who made the plug-in and where to reach them: the texts and links of the
// About window.

namespace velq {

inline constexpr const char* kAuthorName = "Nadim Sorrel";
inline constexpr const char* kAuthorEmail = "nadim.sorrel@velq.example";
inline constexpr const char* kHomePageUrl = "https://www.velq.example/tp-updater";
inline constexpr const char* kContributors[] = {"Ilse Varnholt", "Omar Quessant"};
// An MD-API host the network search was tried with.
inline constexpr const char* kHostApplicationName = "StarHarbor TV";

}  // namespace velq
