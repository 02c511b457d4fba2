#include "plugin/error_box.h"

#include "core/error_text.h"

namespace velq {

void ShowErrorBox(HWND owner, const std::string& text) {
  try {
    MessageBoxA(owner, WithClosingFullStop(text).c_str(), kMessageBoxTitle, MB_OK | MB_ICONERROR);
  } catch (...) {
  }
}

void ShowMessageBox(HWND owner, const std::string& text) {
  MessageBoxA(owner, text.c_str(), kMessageBoxTitle, MB_OK);
}

}  // namespace velq
