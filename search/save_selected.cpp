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

std::vector<std::string> CheckedTexts(const CheckList& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.Count(); ++i)
    if (list.Checked(i)) texts.push_back(list.Text(i));
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
  // Creating the file and writing its header: a failure here is the I/O
  // error's own text. FileStoreError carries it.
  AtomicFileWriter writer(path);
  writer.Write(CreatedByLine(request.now, request.timeSeparator));

  const TransponderList content{request.satPositionCode, request.satPositionName, CheckedTexts(list)};
  try {
    writer.Write(TransponderListSections(content));
    writer.Commit();
  } catch (const FileStoreError&) {
    // The writer's destructor removes the temporary file; the old list file
    // was never touched.
    throw SaveSelectedError("Unable to write to " + path);
  }
  // Only a list that is safely on disk loses its unticked entries.
  DeleteUnchecked(list);
  return path;
}

}  // namespace velq
