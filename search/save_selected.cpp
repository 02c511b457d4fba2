#include "search/save_selected.h"

#include <vector>

#include "core/file_store.h"
#include "search/transponder_list_file.h"

namespace velq {
namespace {

void DeleteUnchecked(CheckList& list) {
  for (int i = list.Count() - 1; i >= 0; --i) {
    if (!list.Checked(i)) list.Delete(i);
  }
}

std::vector<std::string> Texts(const CheckList& list) {
  std::vector<std::string> texts;
  texts.reserve(list.Count());
  for (int i = 0; i < list.Count(); ++i) texts.push_back(list.Text(i));
  return texts;
}

}  // namespace

std::string TransponderListPath(const std::string& folder, const std::string& satPositionCode) {
  return folder + TransponderListFileName(satPositionCode);
}

std::string SaveSelected(CheckList& list, const SaveSelectedRequest& request) {
  // Without a position the file would be named ".ini" and belong to no
  // satellite.
  if (request.satPositionCode.empty()) throw SaveSelectedError(kNoSatellitePositionText);

  const std::string path = TransponderListPath(request.folder, request.satPositionCode);
  // Creating the file and writing its header: a failure here leaves the list
  // as it was. FileStoreError carries the user text.
  AtomicFileWriter writer(path);
  writer.Write(CreatedByLine(request.now, request.timeSeparator));

  DeleteUnchecked(list);

  const TransponderList content{request.satPositionCode, request.satPositionName, Texts(list)};
  try {
    writer.Write(TransponderListSections(content));
    writer.Commit();
  } catch (const FileStoreError&) {
    // The writer's destructor removes the temporary file; the old list file
    // was never touched.
    throw SaveSelectedError("Unable to write to " + path);
  }
  return path;
}

}  // namespace velq
