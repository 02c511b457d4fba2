#pragma once
// The folder that downloaded lists go to, and the target path in it.

#include <string>
#include <string_view>

namespace velq {

// The host executable's path cut after its last backslash or colon, then
// "\Transponders\". The cut keeps its backslash, so "C:\Host\host.exe" gives
// "C:\Host\\Transponders\"; Windows reads the doubled separator as one.
std::string DefaultDownloadFolder(std::string_view hostExePath);

// folder + fileName with one separator between them. A folder already ending
// in '\' or '/' is used as is, an empty one gives the bare file name; otherwise
// '\' is added when the folder contains one, '/' when not. So "C:\Lists" gives
// "C:\Lists\0130.ini", never "C:\Lists0130.ini".
std::string DownloadTargetPath(std::string_view folder, std::string_view fileName);

}  // namespace velq
