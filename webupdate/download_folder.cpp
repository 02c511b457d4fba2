#include "webupdate/download_folder.h"

namespace velq {

std::string DefaultDownloadFolder(std::string_view hostExePath) {
  std::size_t cut = hostExePath.find_last_of("\\:");
  std::string folder(cut == std::string_view::npos ? std::string_view{}
                                                   : hostExePath.substr(0, cut + 1));
  folder += "\\Transponders\\";
  return folder;
}

std::string DownloadTargetPath(std::string_view folder, std::string_view fileName) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') {
    path += folder.find('\\') != std::string_view::npos ? '\\' : '/';
  }
  path += fileName;
  return path;
}

}  // namespace velq
