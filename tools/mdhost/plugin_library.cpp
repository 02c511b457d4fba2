#include "tools/mdhost/plugin_library.h"

#include <stdexcept>

namespace mdhost {
namespace {

std::string moduleFileName(HMODULE module) {
  char buffer[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(module, buffer, MAX_PATH);
  return std::string(buffer, n);
}

template <typename Fn>
void resolve(HMODULE module, const char* name, Fn& slot, std::vector<std::string>& missing) {
  FARPROC address = GetProcAddress(module, name);
  if (address == nullptr) {
    missing.emplace_back(name);
    return;
  }
  slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::load(const std::string& path) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    throw std::runtime_error("cannot load " + path + " (Windows error " + std::to_string(GetLastError()) + ")");
  }
  return std::unique_ptr<PluginLibrary>(new PluginLibrary(module, true, path));
}

std::unique_ptr<PluginLibrary> PluginLibrary::adopt(HMODULE module) {
  return std::unique_ptr<PluginLibrary>(new PluginLibrary(module, false, moduleFileName(module)));
}

PluginLibrary::PluginLibrary(HMODULE module, bool owned, std::string path)
    : module_(module), owned_(owned), path_(std::move(path)) {
  resolveExports();
}

PluginLibrary::~PluginLibrary() { unload(); }

void PluginLibrary::resolveExports() {
  resolve(module_, kExportNames[0], exports_.sendDllIdName, missing_);
  resolve(module_, kExportNames[1], exports_.start, missing_);
  resolve(module_, kExportNames[2], exports_.menuSelect, missing_);
  resolve(module_, kExportNames[3], exports_.channelChange, missing_);
  resolve(module_, kExportNames[4], exports_.filterClose, missing_);
  resolve(module_, kExportNames[5], exports_.exit, missing_);
  resolve(module_, kExportNames[6], exports_.hotKey, missing_);
  resolve(module_, kExportNames[7], exports_.osdKey, missing_);
  resolve(module_, kExportNames[8], exports_.recPlay, missing_);
}

std::optional<std::vector<std::uint8_t>> PluginLibrary::menuResource() const {
  if (module_ == nullptr) return std::nullopt;
  HRSRC found = FindResourceA(module_, kMenuResourceName, MAKEINTRESOURCEA(4) /* RT_MENU */);
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(module_, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  auto first = static_cast<const std::uint8_t*>(bytes);
  return std::vector<std::uint8_t>(first, first + SizeofResource(module_, found));
}

void PluginLibrary::unload() {
  if (module_ != nullptr && owned_) FreeLibrary(module_);
  module_ = nullptr;
  exports_ = {};
}

}  // namespace mdhost
