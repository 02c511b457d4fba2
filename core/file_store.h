#pragma once
// Writing files so that a failure never destroys what was there before: the
// bytes go to a temporary file beside the target, which replaces the target
// only once it is complete. The POSIX side lives in file_store_posix.cpp, the
// Windows side in the plug-in.

#include <stdexcept>
#include <string>

namespace velq {

// A failed file operation; what() is the text shown to the user.
class FileStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The user-facing text for an operating-system error number of a file
// operation: "File access denied" for access errors, "I/O error N" otherwise.
std::string FileErrorText(int osError);

// The temporary name used beside `target` while it is being written.
std::string TempPathBeside(const std::string& target);

class AtomicFileWriter {
 public:
  // Creates the temporary file; throws FileStoreError (FileErrorText) when it
  // cannot be created.
  explicit AtomicFileWriter(std::string target);
  // Removes the temporary file unless Commit() succeeded.
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Appends bytes; throws FileStoreError (FileErrorText) on failure.
  void Write(const std::string& bytes);
  // Flushes, closes and moves the temporary file over the target; throws
  // FileStoreError (FileErrorText) on failure, leaving the target as it was.
  void Commit();

  const std::string& target() const { return target_; }
  const std::string& tempPath() const { return temp_; }

 private:
  std::string target_;
  std::string temp_;
  void* handle_ = nullptr;  // platform file handle, owned
  bool committed_ = false;
};

// Moves `from` over `to` in one step (replacing `to`); throws FileStoreError.
void MoveFileOver(const std::string& from, const std::string& to);
// Deletes a file; a missing file is not an error, and nothing is thrown.
void RemoveFileIfPresent(const std::string& path) noexcept;
// True when `path` names an existing regular file.
bool RegularFileExists(const std::string& path);

}  // namespace velq
