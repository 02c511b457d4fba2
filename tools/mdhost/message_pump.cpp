#include "tools/mdhost/message_pump.h"

#include <algorithm>

namespace mdhost {
namespace {

constexpr DWORD kMaxIdleWaitMs = 5;

}  // namespace

void waitAnsweringSentMessages(HANDLE event) {
  for (;;) {
    DWORD woke = MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_SENDMESSAGE, 0);
    if (woke != WAIT_OBJECT_0 + 1) return;  // signalled, or a broken handle: nothing to wait for
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // answers the sent ones
  }
}

bool pumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return done();
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    DWORD wait = static_cast<DWORD>(std::min<long long>(left, kMaxIdleWaitMs));
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace mdhost
