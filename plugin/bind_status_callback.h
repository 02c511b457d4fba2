#pragma once
// The callback object a urlmon download reports to. Progress goes to the
// job's handler; the HTTP status and announced length are kept, because
// urlmon calls a download "done" even when the server answered 404.
//
// Every download asks the site itself: not the Internet cache (newest
// version, nothing written to the cache) and not a cache on the way (the
// no-cache request headers). Windows turns the bind flags into request
// flags; Wine's URLDownloadToFile drops a caller's bind flags, so the
// headers are added here as well, where both pass them on.

#include <windows.h>
#include <urlmon.h>

#include <cstdint>
#include <optional>

#include "webupdate/downloader.h"

namespace velq {

inline constexpr DWORD kBindFlags = BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE | BINDF_PRAGMA_NO_CACHE;
inline constexpr wchar_t kNoCacheHeaders[] = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";

class BindStatusCallback final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  // Starts with one reference, held by the creator.
  static BindStatusCallback* Create(ProgressHandler onProgress);

  // What the server answered; no value when no response arrived.
  std::optional<DWORD> httpStatus() const { return httpStatus_; }
  // Content-Length of an unencoded body, when the server gave one.
  std::optional<std::uint64_t> announcedLength() const { return announcedLength_; }
  // Stops progress reports; urlmon may hold its reference a little longer.
  void Detach() { onProgress_ = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IBindStatusCallback: GetBindInfo asks for kBindFlags, OnProgress reports.
  STDMETHODIMP OnStartBinding(DWORD reserved, IBinding* binding) override;
  STDMETHODIMP GetPriority(LONG* priority) override;
  STDMETHODIMP OnLowResource(DWORD reserved) override;
  STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                          LPCWSTR statusText) override;
  STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR error) override;
  STDMETHODIMP GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) override;
  STDMETHODIMP OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                               STGMEDIUM* medium) override;
  STDMETHODIMP OnObjectAvailable(REFIID riid, IUnknown* object) override;

  // IHttpNegotiate: adds kNoCacheHeaders, records the response.
  STDMETHODIMP BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved,
                                    LPWSTR* additionalHeaders) override;
  STDMETHODIMP OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                          LPWSTR* additionalRequestHeaders) override;

 private:
  explicit BindStatusCallback(ProgressHandler onProgress);
  ~BindStatusCallback() = default;

  LONG references_ = 1;
  ProgressHandler onProgress_;
  std::optional<DWORD> httpStatus_;
  std::optional<std::uint64_t> announcedLength_;
};

}  // namespace velq
