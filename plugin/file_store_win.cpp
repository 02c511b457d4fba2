// Windows side of the atomic file store: the temporary file is written with
// CreateFileA/WriteFile and replaces the target with MoveFileExA, so a list
// is either the old one or the whole new one.

#include <windows.h>

#include "core/file_store.h"

namespace velq {

std::string FileErrorText(int osError) {
  if (osError == ERROR_ACCESS_DENIED || osError == ERROR_SHARING_VIOLATION ||
      osError == ERROR_LOCK_VIOLATION || osError == ERROR_WRITE_PROTECT)
    return "File access denied";
  return "I/O error " + std::to_string(osError);
}

namespace {
[[noreturn]] void Fail(DWORD err) { throw FileStoreError(FileErrorText(static_cast<int>(err))); }
}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target)
    : target_(std::move(target)), temp_(TempPathBeside(target_)) {
  HANDLE h = CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail(GetLastError());
  handle_ = h;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
  if (!committed_) DeleteFileA(temp_.c_str());
}

void AtomicFileWriter::Write(const std::string& bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), p, chunk, &written, nullptr)) Fail(GetLastError());
    if (written == 0) Fail(ERROR_WRITE_FAULT);
    p += written;
    left -= written;
  }
}

void AtomicFileWriter::Commit() {
  HANDLE h = static_cast<HANDLE>(handle_);
  handle_ = nullptr;
  if (!FlushFileBuffers(h)) {
    DWORD err = GetLastError();
    CloseHandle(h);
    Fail(err);
  }
  if (!CloseHandle(h)) Fail(GetLastError());
  MoveFileOver(temp_, target_);
  committed_ = true;
}

void MoveFileOver(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    Fail(GetLastError());
}

void RemoveFileIfPresent(const std::string& path) noexcept { DeleteFileA(path.c_str()); }

bool RegularFileExists(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace velq
