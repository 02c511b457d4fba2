#pragma once
// Waiting on the GUI thread without freezing it: plug-in windows live on
// this thread, and a plug-in may send to them from the host's feeder thread.

#include <windows.h>

#include <chrono>
#include <functional>

namespace mdhost {

// Waits until EVENT is signalled, meanwhile answering messages that other
// threads send to this thread's windows (posted ones stay queued).
void waitAnsweringSentMessages(HANDLE event);

// Dispatches every message until DONE holds or TIMEOUT has passed; DONE is
// checked at least every few milliseconds, so it may watch other threads.
// A WM_QUIT ends the wait and is put back for the caller's own loop.
bool pumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

}  // namespace mdhost
