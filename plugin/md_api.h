#pragma once
// The MD-API host contract, as both sides of it see it: the plug-in's nine
// exports, the start-filter record and the two section-filter messages.
// Every export and the filter callback are cdecl; on i686 each argument is
// one 32-bit stack word.

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace mdapi {

constexpr UINT kMsgHost = WM_USER;                    // every message to the host
constexpr WPARAM kCmdStartFilter = 0x01020020;        // LPARAM: TStartFilterRec*
constexpr WPARAM kCmdStopFilter = 0x01020021;         // LPARAM: &FilterRec.RunningId

constexpr UINT kMenuNetworkSearch = 40065;
constexpr UINT kMenuWebUpdate = 40066;
constexpr UINT kMenuAbout = 40068;

constexpr std::size_t kChannelRecordSize = 1128;

// Payload bytes of the filtered PID, 184 per transport-stream packet.
using FilterCallback = void(__cdecl*)(UINT_PTR unused, int len, const BYTE* data);

#pragma pack(push, 1)
struct TStartFilterRec {
  WORD DllId;
  WORD FilterId;
  WORD Pid;
  char Name[32];
  WORD Padding;  // never written by the plug-in
  FilterCallback Callback;
  UINT_PTR RunningId;  // written by the host only
};

// The host's channel record, passed by value; the plug-in reads no field.
struct TChannel {
  BYTE Bytes[kChannelRecordSize];
};
#pragma pack(pop)

#if defined(_M_IX86) || defined(__i386__)
static_assert(offsetof(TStartFilterRec, DllId) == 0);
static_assert(offsetof(TStartFilterRec, FilterId) == 2);
static_assert(offsetof(TStartFilterRec, Pid) == 4);
static_assert(offsetof(TStartFilterRec, Name) == 6);
static_assert(offsetof(TStartFilterRec, Callback) == 40);
static_assert(offsetof(TStartFilterRec, RunningId) == 44);
static_assert(sizeof(TStartFilterRec) == 48);
#endif
static_assert(sizeof(TChannel) == kChannelRecordSize);

// The exports, by name with ordinals 1 to 9.
using OnSendDllIdNameFn = void(__cdecl*)(char* name);
using OnStartFn = void(__cdecl*)(HINSTANCE unused1, HWND hostWnd, BOOL unused3, UINT dllId,
                                 char* unused5, char* unused6, int* result);
using OnMenuSelectFn = void(__cdecl*)(UINT commandId);
using OnChannelChangeFn = void(__cdecl*)(TChannel channel);
using OnNoArgumentFn = void(__cdecl*)();  // On_Filter_Close, On_Exit, On_Hot_Key, On_Osd_Key, On_Rec_Play

}  // namespace mdapi
