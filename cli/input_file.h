#pragma once
// The stream velqtp scans: a file, or standard input for "-". Read with
// plain read() calls, which return what a pipe has at once, so that a live
// stream piped in is scanned as it arrives.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace velq {

class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class InputFile {
 public:
  // Throws InputError when the file cannot be opened or is a folder.
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Up to `capacity` bytes; 0 at the end. Throws InputError.
  std::size_t Read(std::uint8_t* buffer, std::size_t capacity);

  // The size of a regular file; nothing for a pipe or a terminal.
  std::optional<std::uint64_t> KnownSize() const { return size_; }
  // The name for messages: the path, or "standard input".
  const std::string& name() const { return name_; }

 private:
  int fd_ = -1;
  bool ownsFd_ = false;
  std::string name_;
  std::optional<std::uint64_t> size_;
};

}  // namespace velq
