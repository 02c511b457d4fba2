#include "cli/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velq {

InputFile::InputFile(const std::string& path) {
  if (path == "-") {
    fd_ = STDIN_FILENO;
    name_ = "standard input";
  } else {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw InputError("cannot open " + path + ": " + std::strerror(errno));
    ownsFd_ = true;
    name_ = path;
  }
  struct stat info {};
  if (::fstat(fd_, &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      if (ownsFd_) ::close(fd_);
      throw InputError(name_ + " is a folder, not a transport stream");
    }
    if (S_ISREG(info.st_mode)) {
      size_ = static_cast<std::uint64_t>(info.st_size);
      // The stream is read once, front to back.
      ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
  }
}

InputFile::~InputFile() {
  if (ownsFd_) ::close(fd_);
}

std::size_t InputFile::Read(std::uint8_t* buffer, std::size_t capacity) {
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, capacity);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) throw InputError("cannot read " + name_ + ": " + std::strerror(errno));
  }
}

}  // namespace velq
