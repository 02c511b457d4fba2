#pragma once
// The one way the plug-in shows an error: a modal box with the error icon and
// an OK button.

#include <windows.h>

#include <string>

namespace velq {

inline constexpr const char* kMessageBoxTitle = "Velq Transponders Updater";

void ShowErrorBox(HWND owner, const std::string& text);
// A plain success message: OK button, no icon.
void ShowMessageBox(HWND owner, const std::string& text);

// Runs an event handler; an exception ends it and is shown in an error box,
// and never leaves the window procedure.
template <class Handler>
void RunHandler(HWND owner, Handler&& handler) noexcept;

}  // namespace velq

#include <exception>

namespace velq {
template <class Handler>
void RunHandler(HWND owner, Handler&& handler) noexcept {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowErrorBox(owner, e.what());
  } catch (...) {
    ShowErrorBox(owner, "Unexpected error");
  }
}
}  // namespace velq
