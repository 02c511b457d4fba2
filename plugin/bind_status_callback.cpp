#include "plugin/bind_status_callback.h"

#include <cwctype>
#include <string_view>

namespace velq {

namespace {

bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

std::wstring_view Trimmed(std::wstring_view text) {
  while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\r'))
    text.remove_suffix(1);
  return text;
}

// The value of header `name` in a raw CRLF header block, if present.
std::optional<std::wstring_view> HeaderValue(std::wstring_view headers, std::wstring_view name) {
  while (!headers.empty()) {
    std::size_t end = headers.find(L'\n');
    std::wstring_view line = headers.substr(0, end);
    headers = end == std::wstring_view::npos ? std::wstring_view{} : headers.substr(end + 1);
    std::size_t colon = line.find(L':');
    if (colon != std::wstring_view::npos && SameTextIgnoringCase(Trimmed(line.substr(0, colon)), name))
      return Trimmed(line.substr(colon + 1));
  }
  return std::nullopt;
}

std::optional<std::uint64_t> DecimalValue(std::wstring_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  return value;
}

// The stored file has the announced length only when the body is not
// re-encoded on the way (a gzip body is stored decoded).
std::optional<std::uint64_t> AnnouncedBodyLength(std::wstring_view headers) {
  auto encoding = HeaderValue(headers, L"Content-Encoding");
  if (encoding && !encoding->empty() && !SameTextIgnoringCase(*encoding, L"identity"))
    return std::nullopt;
  auto length = HeaderValue(headers, L"Content-Length");
  return length ? DecimalValue(*length) : std::nullopt;
}

}  // namespace

BindStatusCallback* BindStatusCallback::Create(ProgressHandler onProgress) {
  return new BindStatusCallback(std::move(onProgress));
}

BindStatusCallback::BindStatusCallback(ProgressHandler onProgress)
    : onProgress_(std::move(onProgress)) {}

STDMETHODIMP BindStatusCallback::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
    *object = static_cast<IBindStatusCallback*>(this);
  } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
    *object = static_cast<IHttpNegotiate*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) BindStatusCallback::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) BindStatusCallback::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP BindStatusCallback::OnStartBinding(DWORD, IBinding*) { return E_NOTIMPL; }
STDMETHODIMP BindStatusCallback::GetPriority(LONG*) { return E_NOTIMPL; }
STDMETHODIMP BindStatusCallback::OnLowResource(DWORD) { return E_NOTIMPL; }
STDMETHODIMP BindStatusCallback::OnStopBinding(HRESULT, LPCWSTR) { return E_NOTIMPL; }

STDMETHODIMP BindStatusCallback::GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) {
  if (!bindFlags || !bindInfo || bindInfo->cbSize < sizeof(bindInfo->cbSize)) return E_INVALIDARG;
  // The caller's structure may be older or newer than ours: clear the size it
  // names, nothing more, and hand that size back. All zero is a plain GET.
  const ULONG size = bindInfo->cbSize;
  ZeroMemory(bindInfo, size);
  bindInfo->cbSize = size;
  *bindFlags = kBindFlags;
  return S_OK;
}
STDMETHODIMP BindStatusCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) {
  return E_NOTIMPL;
}
STDMETHODIMP BindStatusCallback::OnObjectAvailable(REFIID, IUnknown*) { return E_NOTIMPL; }

STDMETHODIMP BindStatusCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) {
  // No exception may unwind into urlmon.
  try {
    if (onProgress_) onProgress_(progress, progressMax);
  } catch (...) {
  }
  return S_OK;
}

STDMETHODIMP BindStatusCallback::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                      LPWSTR* additionalHeaders) {
  // Anything but S_OK here makes urlmon give up the request; without memory
  // the request goes out without the headers.
  if (!additionalHeaders) return S_OK;
  *additionalHeaders = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof(kNoCacheHeaders)));
  if (*additionalHeaders) CopyMemory(*additionalHeaders, kNoCacheHeaders, sizeof(kNoCacheHeaders));
  return S_OK;
}

STDMETHODIMP BindStatusCallback::OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR,
                                            LPWSTR* additionalRequestHeaders) {
  if (additionalRequestHeaders) *additionalRequestHeaders = nullptr;
  httpStatus_ = responseCode;
  announcedLength_ = responseHeaders ? AnnouncedBodyLength(responseHeaders) : std::nullopt;
  return S_OK;
}

}  // namespace velq
