#pragma once
// libcurl, loaded when the first download starts rather than with velqtp,
// as the plug-in loads its download library at first use. libcurl brings
// its TLS, LDAP and Kerberos libraries along, which take tens of
// milliseconds to load: a scan or a listing would pay that for nothing, and
// on a machine without libcurl they still work.

#include <curl/curl.h>

#include <string>
#include <vector>

namespace velq {

// The functions velqtp calls, resolved from the loaded library.
struct CurlLibrary {
  CURLcode (*global_init)(long flags);
  CURL* (*easy_init)();
  CURLcode (*easy_setopt)(CURL* curl, CURLoption option, ...);
  CURLcode (*easy_perform)(CURL* curl);
  CURLcode (*easy_getinfo)(CURL* curl, CURLINFO info, ...);
  void (*easy_cleanup)(CURL* curl);
  const char* (*easy_strerror)(CURLcode code);
};

// The OpenSSL build first, then the GnuTLS one; same interface.
inline const std::vector<std::string> kCurlLibraryNames = {"libcurl.so.4", "libcurl-gnutls.so.4"};

// The first library of `names` that loads and has every function, with
// curl_global_init done; nullptr when none does.
const CurlLibrary* LoadCurlLibrary(const std::vector<std::string>& names);

// LoadCurlLibrary(kCurlLibraryNames), tried once: the answer holds for the
// rest of the process.
const CurlLibrary* SystemCurlLibrary();

}  // namespace velq
