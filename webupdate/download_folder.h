#pragma once
// The folder that downloaded lists go to, and the target path in it.

#include <string>
#include <string_view>

namespace velq {

// The host executable's path cut after its last backslash or colon, then
// "\Transponders\". The cut keeps its backslash, so "C:\Host\host.exe" gives
// "C:\Host\\Transponders\"; Windows reads the doubled separator as one.
std::string DefaultDownloadFolder(std::string_view hostExePath);

// Whose rules a folder text follows: the plug-in's are Windows', velqtp's
// the system it runs on.
enum class PathStyle { Windows, Posix };

// folder + fileName with one separator between them. A folder already ending
// in its style's separator (or in '/' on Windows) is used as is, an empty one
// gives the bare file name; otherwise the style's separator is added, so
// "C:\Lists" gives "C:\Lists\0130.ini", never "C:\Lists0130.ini".
// On Windows a bare drive ("D:") means that drive's root: "D:\0130.ini".
std::string DownloadTargetPath(std::string_view folder, std::string_view fileName, PathStyle style);

// A typed folder of blanks only names no folder: the default applies, as for
// an empty one.
bool NamesNoFolder(std::string_view typed);

}  // namespace velq
