#pragma once
// A thin base for the plug-in's windows: one static window procedure that
// hands every message to the object, and the frame rules the three windows
// share (a tool window whose close box only hides it; Escape does the same,
// Enter presses the focused button and nothing else).

#include <windows.h>

#include <string>

namespace velq {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  // Makes the window visible, non-modal, and brings it to the front.
  void ShowAndRaise();
  void Hide();
  void Destroy();

 protected:
  struct Frame {
    const char* className;
    const char* caption;
    int clientWidth;
    int clientHeight;
    DWORD style;
    DWORD exStyle;
    int x = CW_USEDEFAULT;  // screen position of the outer frame
    int y = CW_USEDEFAULT;
    HBRUSH background = nullptr;  // null: the button face
  };
  // Registers the class (once per process) and creates the window hidden.
  // Throws std::runtime_error when the window cannot be made.
  void CreateFrame(HINSTANCE instance, const Frame& frame);
  // Messages not handled here go to DefWindowProcA.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // Called for WM_CREATE, after hwnd() is valid: builds the controls.
  virtual void OnCreate() {}

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void OnDialogKey(int id);  // IDCANCEL or IDOK
  HWND hwnd_ = nullptr;
};

// Centres `window` over `over`, kept inside the work area of the monitor
// `over` is on. False, and nothing moved, when `over` is no window or is
// minimised.
bool PlaceOver(HWND window, HWND over);

// Unregisters the window classes the plug-in registered (at unload).
void UnregisterWindowClasses(HINSTANCE instance);

}  // namespace velq
