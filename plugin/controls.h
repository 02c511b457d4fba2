#pragma once
// One-line wrappers that create the standard controls the windows are made
// of, each with its control id, place and font.

#include <windows.h>

#include <string>

namespace velq {

struct Place {
  int left, top, width, height;
};

HWND MakeControl(HWND parent, const char* cls, const char* text, DWORD style, const Place& place,
                 int id, HFONT font, DWORD exStyle = 0);
HWND MakeButton(HWND parent, const char* text, const Place& place, int id, HFONT font);
// A label that sizes itself to its text (call SetLabelText to change it).
HWND MakeLabel(HWND parent, const char* text, int left, int top, int id, HFONT font);
HWND MakePanel(HWND parent, const Place& place, int id);

std::string WindowText(HWND hwnd);
// Sets a label's text and resizes it to fit, as self-sizing labels do.
void SetLabelText(HWND label, const std::string& text);

}  // namespace velq
