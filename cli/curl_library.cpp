#include "cli/curl_library.h"

#include <dlfcn.h>

#include <memory>

namespace velq {
namespace {

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

}  // namespace

const CurlLibrary* LoadCurlLibrary(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    // Kept loaded for the rest of the process, as libcurl expects.
    void* library = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) continue;
    auto curl = std::make_unique<CurlLibrary>();
    if (Resolve(library, "curl_global_init", curl->global_init) &&
        Resolve(library, "curl_easy_init", curl->easy_init) &&
        Resolve(library, "curl_easy_setopt", curl->easy_setopt) &&
        Resolve(library, "curl_easy_perform", curl->easy_perform) &&
        Resolve(library, "curl_easy_getinfo", curl->easy_getinfo) &&
        Resolve(library, "curl_easy_cleanup", curl->easy_cleanup) &&
        Resolve(library, "curl_easy_strerror", curl->easy_strerror) &&
        curl->global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {
      return curl.release();
    }
    ::dlclose(library);
  }
  return nullptr;
}

const CurlLibrary* SystemCurlLibrary() {
  static const CurlLibrary* const library = LoadCurlLibrary(kCurlLibraryNames);
  return library;
}

}  // namespace velq
