#pragma once
// The test program's own nine exports: a plug-in that records what the
// host hands it. Reset it at the start of every test.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "plugin/md_api.h"

namespace fake_plugin {

struct Delivery {
  UINT_PTR first;
  int len;
  std::vector<std::uint8_t> bytes;
};

struct State {
  std::vector<char> name{'P', 'r', 'o', 'b', 'e', '\0'};  // what On_Send_Dll_ID_Name writes
  HWND hostWnd = nullptr;
  UINT dllId = 0;
  int resultOnEntry = 0;
  std::vector<UINT> menuSelects;
  std::function<void()> onMenuSelect;  // runs inside On_Menu_Select
  int filterCloses = 0;
  int exits = 0;
  int channelChanges = 0;
  BYTE firstChannelByte = 0;

  std::mutex deliveriesMutex;
  std::vector<Delivery> deliveries;
  std::function<void()> onDelivery;  // runs on the feeder thread after recording
};

State& state();
void reset();
std::vector<Delivery> deliveries();

void __cdecl filterCallback(UINT_PTR first, int len, const BYTE* data);

}  // namespace fake_plugin
