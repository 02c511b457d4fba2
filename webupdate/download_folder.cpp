#include "webupdate/download_folder.h"

namespace velq {

std::string DefaultDownloadFolder(std::string_view hostExePath) {
  std::size_t cut = hostExePath.find_last_of("\\:");
  std::string folder(cut == std::string_view::npos ? std::string_view{}
                                                   : hostExePath.substr(0, cut + 1));
  folder += "\\Transponders\\";
  return folder;
}

std::string DownloadTargetPath(std::string_view folder, std::string_view fileName, PathStyle style) {
  std::string path(folder);
  const bool endsInSeparator =
      !path.empty() && (path.back() == '/' || (style == PathStyle::Windows && path.back() == '\\'));
  // A bare drive gets its root: the drive's current folder is hidden state
  // of the host's process, which the user neither sees nor chose.
  if (!path.empty() && !endsInSeparator) path += style == PathStyle::Windows ? '\\' : '/';
  path += fileName;
  return path;
}

bool NamesNoFolder(std::string_view typed) {
  return typed.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace velq
