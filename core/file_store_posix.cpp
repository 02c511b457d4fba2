// POSIX side of the atomic file store (velqtp and the native tests).
#ifndef _WIN32

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "core/file_store.h"

namespace velq {

std::string FileErrorText(int osError) {
  if (osError == EACCES || osError == EPERM || osError == EROFS) return "File access denied";
  return "I/O error " + std::to_string(osError);
}

namespace {
int Fd(void* handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle)) - 1; }
void* Handle(int fd) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(fd) + 1); }
[[noreturn]] void Fail(int err) { throw FileStoreError(FileErrorText(err)); }
}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target)
    : target_(std::move(target)), temp_(TempPathBeside(target_)) {
  int fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail(errno);
  handle_ = Handle(fd);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (handle_) ::close(Fd(handle_));
  if (!committed_) ::unlink(temp_.c_str());
}

void AtomicFileWriter::Write(const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(Fd(handle_), p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
}

void AtomicFileWriter::Commit() {
  int fd = Fd(handle_);
  handle_ = nullptr;
  // fsync first: a rename that lands before the data would leave an empty
  // list after a power cut.
  if (::fsync(fd) != 0) {
    int err = errno;
    ::close(fd);
    Fail(err);
  }
  if (::close(fd) != 0) Fail(errno);
  MoveFileOver(temp_, target_);
  committed_ = true;
}

void MoveFileOver(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) Fail(errno);
}

void RemoveFileIfPresent(const std::string& path) noexcept { ::unlink(path.c_str()); }

bool RegularFileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace velq

#endif  // !_WIN32
