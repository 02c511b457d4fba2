#include "plugin/urlmon_downloader.h"

#include <windows.h>
#include <urlmon.h>

#include "plugin/bind_status_callback.h"
#include "plugin/com_apartment.h"

namespace velq {

namespace {

using UrlDownloadToFileFunction = HRESULT(WINAPI*)(LPUNKNOWN, LPCSTR, LPCSTR, DWORD,
                                                    LPBINDSTATUSCALLBACK);

// One attempt per process; its outcome holds until ReleaseUrlmon.
struct UrlmonLibrary {
  bool attempted = false;
  HMODULE module = nullptr;
  UrlDownloadToFileFunction download = nullptr;
};

UrlmonLibrary& Urlmon() {
  static UrlmonLibrary library;
  return library;
}

UrlDownloadToFileFunction LoadUrlDownloadToFile() {
  UrlmonLibrary& urlmon = Urlmon();
  if (!urlmon.attempted) {
    urlmon.attempted = true;
    urlmon.module = LoadLibraryA(kUrlmonLibrary);
    if (urlmon.module) {
      // Never unloaded: urlmon leaves a window on each thread that downloaded
      // (messages for it may still be queued), so its code must outlive us.
      HMODULE pinned = nullptr;
      GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, kUrlmonLibrary, &pinned);
      urlmon.download = reinterpret_cast<UrlDownloadToFileFunction>(
          reinterpret_cast<void*>(GetProcAddress(urlmon.module, "URLDownloadToFileA")));
    }
  }
  return urlmon.download;
}

std::optional<std::uint64_t> StoredFileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Releases a COM reference when it goes out of scope.
template <class Interface>
class ComReference {
 public:
  explicit ComReference(Interface* object) : object_(object) {}
  ~ComReference() {
    if (object_) object_->Release();
  }
  ComReference(const ComReference&) = delete;
  ComReference& operator=(const ComReference&) = delete;
  Interface* operator->() const { return object_; }
  Interface* get() const { return object_; }

 private:
  Interface* object_;
};

}  // namespace

DownloadResult UrlmonDownloader::Download(const std::string& url, const std::string& filePath,
                                          const ProgressHandler& onProgress) {
  UrlDownloadToFileFunction urlDownloadToFile = LoadUrlDownloadToFile();
  if (!urlDownloadToFile) return DownloadResult::LibraryMissing(kUrlmonLibrary);

  ComApartment apartment;
  ComReference<BindStatusCallback> callback(BindStatusCallback::Create(onProgress));
  HRESULT result = urlDownloadToFile(nullptr, url.c_str(), filePath.c_str(), 0, callback.get());
  callback->Detach();

  if (result != S_OK) return DownloadResult::Failed();
  auto status = callback->httpStatus();
  // Only HTTP answers carry a status; a file: or ftp: mirror has none.
  if (status && (*status < 200 || *status > 299)) return DownloadResult::Failed();
  auto size = StoredFileSize(filePath);
  if (!size) return DownloadResult::Failed();
  auto announced = callback->announcedLength();
  if (announced && *announced != *size) return DownloadResult::Failed();  // cut short
  return DownloadResult::Stored();
}

void ReleaseUrlmon() {
  UrlmonLibrary& urlmon = Urlmon();
  if (urlmon.module) FreeLibrary(urlmon.module);
  urlmon = UrlmonLibrary{};
}

}  // namespace velq
