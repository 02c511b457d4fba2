#pragma once
// A plug-in module as the host sees it: the library, its nine exports
// looked up by name, and its EXTERN menu resource.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plugin/md_api.h"

namespace mdhost {

struct PluginExports {
  mdapi::OnSendDllIdNameFn sendDllIdName = nullptr;
  mdapi::OnStartFn start = nullptr;
  mdapi::OnMenuSelectFn menuSelect = nullptr;
  mdapi::OnChannelChangeFn channelChange = nullptr;
  mdapi::OnNoArgumentFn filterClose = nullptr;
  mdapi::OnNoArgumentFn exit = nullptr;
  mdapi::OnNoArgumentFn hotKey = nullptr;
  mdapi::OnNoArgumentFn osdKey = nullptr;
  mdapi::OnNoArgumentFn recPlay = nullptr;
};

// In ordinal order, 1 to 9.
inline constexpr std::array<const char*, 9> kExportNames = {
    "On_Send_Dll_ID_Name", "On_Start", "On_Menu_Select", "On_Channel_Change", "On_Filter_Close",
    "On_Exit",             "On_Hot_Key", "On_Osd_Key",   "On_Rec_Play"};

inline constexpr const char* kMenuResourceName = "EXTERN";

class PluginLibrary {
 public:
  // LoadLibraryA of PATH; throws std::runtime_error with the system's error
  // code when Windows refuses it. Missing exports are not an error here.
  static std::unique_ptr<PluginLibrary> load(const std::string& path);
  // A module that is already loaded and stays so (tests use their own exe).
  static std::unique_ptr<PluginLibrary> adopt(HMODULE module);

  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  HMODULE module() const { return module_; }
  const std::string& path() const { return path_; }
  bool owned() const { return owned_; }  // unload() frees it
  const PluginExports& exports() const { return exports_; }
  // Names from kExportNames that GetProcAddress did not find.
  const std::vector<std::string>& missingExports() const { return missing_; }
  // The raw RT_MENU "EXTERN" resource, or nothing if the module has none.
  std::optional<std::vector<std::uint8_t>> menuResource() const;

  // FreeLibrary now (for a loaded module); exports are cleared. Idempotent.
  void unload();

 private:
  PluginLibrary(HMODULE module, bool owned, std::string path);
  void resolveExports();

  HMODULE module_;
  bool owned_;
  std::string path_;
  PluginExports exports_;
  std::vector<std::string> missing_;
};

}  // namespace mdhost
