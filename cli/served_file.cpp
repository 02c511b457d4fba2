#include "cli/served_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

namespace velq {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::optional<ServedFile> ReadServedFile(const std::string& path) {
  // O_NONBLOCK: a FIFO put where a list belongs cannot hold the thread in open().
  const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  ServedFile file;
  file.bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    file.bytes.append(buffer, static_cast<std::size_t>(n));
  }
  file.modified = st.st_mtim.tv_sec;
  char tag[80];
  std::snprintf(tag, sizeof tag, "\"%zx-%" PRIx64 ".%09ld-%" PRIx64 "\"", file.bytes.size(),
                static_cast<std::uint64_t>(st.st_mtim.tv_sec), static_cast<long>(st.st_mtim.tv_nsec),
                static_cast<std::uint64_t>(st.st_ino));
  file.etag = tag;
  return file;
}

std::string ContentEtag(const std::string& bytes) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  char tag[48];
  std::snprintf(tag, sizeof tag, "\"%zx-%016" PRIx64 "\"", bytes.size(), hash);
  return tag;
}

}  // namespace velq
