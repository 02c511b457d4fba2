#include "tools/mdhost/tests/fake_plugin.h"

#include <cstring>
#include <memory>

namespace fake_plugin {
namespace {

std::unique_ptr<State> current = std::make_unique<State>();

}  // namespace

State& state() { return *current; }

void reset() { current = std::make_unique<State>(); }

std::vector<Delivery> deliveries() {
  std::lock_guard lock(state().deliveriesMutex);
  return state().deliveries;
}

void __cdecl filterCallback(UINT_PTR first, int len, const BYTE* data) {
  {
    std::lock_guard lock(state().deliveriesMutex);
    state().deliveries.push_back({first, len, std::vector<std::uint8_t>(data, data + len)});
  }
  if (state().onDelivery) state().onDelivery();
}

}  // namespace fake_plugin

using fake_plugin::state;

extern "C" {

__declspec(dllexport) void __cdecl On_Send_Dll_ID_Name(char* name) {
  std::memcpy(name, state().name.data(), state().name.size());
}

__declspec(dllexport) void __cdecl On_Start(HINSTANCE, HWND hostWnd, BOOL, UINT dllId, char*, char*, int* result) {
  state().hostWnd = hostWnd;
  state().dllId = dllId;
  state().resultOnEntry = *result;
  *result = 0;
}

__declspec(dllexport) void __cdecl On_Menu_Select(UINT commandId) {
  state().menuSelects.push_back(commandId);
  if (state().onMenuSelect) state().onMenuSelect();
}

__declspec(dllexport) void __cdecl On_Channel_Change(mdapi::TChannel channel) {
  ++state().channelChanges;
  state().firstChannelByte = channel.Bytes[0];
}

__declspec(dllexport) void __cdecl On_Filter_Close() { ++state().filterCloses; }
__declspec(dllexport) void __cdecl On_Exit() { ++state().exits; }
__declspec(dllexport) void __cdecl On_Hot_Key() {}
__declspec(dllexport) void __cdecl On_Osd_Key() {}
__declspec(dllexport) void __cdecl On_Rec_Play() {}

}  // extern "C"
