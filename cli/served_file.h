#pragma once
// A file the download site sends, read whole from one open handle together
// with what says how fresh it is: its time of change and an entity tag.

#include <ctime>
#include <optional>
#include <string>

namespace velq {

struct ServedFile {
  std::string bytes;
  std::time_t modified = 0;  // whole seconds, as Last-Modified carries it
  // Strong and quoted: size, time of change to the nanosecond and file
  // number. A list replaced by rename (as velqtp writes) gets a new file
  // number, so even a same-sized change within one clock tick gets a new tag.
  std::string etag;
};

// nullopt when `path` is not a regular file that can be read. Bytes and
// metadata come from the same open file, so a list replaced meanwhile is
// sent old or new with its own tag, never mixed. Reads to the end, however
// the reads are split.
std::optional<ServedFile> ReadServedFile(const std::string& path);

// A strong tag for bytes that have no file of their own (the index page).
std::string ContentEtag(const std::string& bytes);

}  // namespace velq
