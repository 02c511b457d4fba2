#include "plugin/about_window.h"

#include <shellapi.h>

#include <string>

#include "plugin/about_links.h"
#include "plugin/about_logo.h"
#include "plugin/controls.h"
#include "plugin/panel.h"
#include "plugin/ui_style.h"
#include "plugin/version.h"

namespace velq {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Some fonts draw the last glyph a few pixels past the measured extent (so
// Wine's stand-in for Tahoma does); a little slack keeps it whole.
constexpr int kGlyphOverhangSlack = 6;

void AddOverhangSlack(HWND label) {
  RECT r;
  GetWindowRect(label, &r);
  SetWindowPos(label, nullptr, 0, 0, r.right - r.left + kGlyphOverhangSlack, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetText(HWND panel, int id, const std::string& text) {
  HWND label = GetDlgItem(panel, id);
  SetLabelText(label, text);
  AddOverhangSlack(label);
}

// A label that answers clicks (SS_NOTIFY) and sizes itself to its text.
HWND MakeLinkLabel(HWND parent, const char* text, int left, int top, int id, HFONT font) {
  HWND h = MakeControl(parent, "STATIC", "", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, {left, top, 0, 0}, id,
                       font);
  SetLabelText(h, text);
  AddOverhangSlack(h);
  return h;
}

std::string Label1Text() {
  // "2.22": the major version, then the minor and patch digits.
  return "Velq Transponders Updater ver " + std::to_string(VELQ_VERSION_MAJOR) + "." +
         std::to_string(VELQ_VERSION_MINOR) + std::to_string(VELQ_VERSION_PATCH);
}

std::string Label3Text() {
  return std::string("- Many thanks to ") + kContributors[0] + " and " + kContributors[1];
}

std::string Label10Text() {
  return std::string("(NEW) Network Search can now be used with ") + kHostApplicationName +
         " and any other MD-API application ";
}

}  // namespace

AboutWindow::AboutWindow(HINSTANCE instance) : instance_(instance) {
  Frame frame{kClassName, kCaption, 501, 260, WS_POPUP | WS_CAPTION | WS_SYSMENU,
              WS_EX_TOOLWINDOW, 0, 0};
  CreateFrame(instance, frame);
}

AboutWindow::~AboutWindow() {
  Destroy();
  UnregisterLogoClass(instance_);
}

void AboutWindow::OnCreate() {
  HWND w = hwnd();
  HFONT font = UiFont("Tahoma", 11, false);
  HFONT bold = UiFont("Tahoma", 11, true);
  MakeBanner(w, {0, 0, 529, 19}, kImage2);
  SendMessageA(GetDlgItem(w, kImage2), WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
  panel1_ = MakeRaisedPanel(w, {5, 24, 492, 231}, kPanel1, GetSysColor(COLOR_BTNFACE));
  MakeLogo(panel1_, {420, 15, 66, 50}, kImage1);
  // Placeholder captions, as the form carries them; FormCreate sets the texts.
  MakeLabel(panel1_, "Label1", 8, 8, kLabel1, UiFont("Tahoma", 13, true));
  MakeLabel(panel1_, "Label2", 16, 32, kLabel2, font);
  MakeLabel(panel1_, "Label3", 16, 52, kLabel3, font);
  MakeLabel(panel1_, "Label4", 16, 72, kLabel4, font);
  MakeLabel(panel1_, "Label5", 16, 92, kLabel5, font);
  MakeLabel(panel1_, "Label10", 16, 111, kLabel10, font);
  MakeLabel(panel1_, "Label7", 16, 154, kLabel7, font);
  MakeLabel(panel1_, "Label9", 8, 174, kLabel9, font);
  MakeLinkLabel(panel1_, "Label15", 8, 193, kLabel15, bold);
  MakeLinkLabel(panel1_, "Home Page", 123, 193, kLabel17, font);
  FormCreate();
}

void AboutWindow::FormCreate() {
  SetText(panel1_, kLabel1, Label1Text());
  SetText(panel1_, kLabel2, "- This plugin is for MD applications.");
  SetText(panel1_, kLabel3, Label3Text());
  SetText(panel1_, kLabel4, "- It is free for all.");
  SetText(panel1_, kLabel5,
          "- You can update 57 TP files with single click within your app in just a few seconds.");
  SetText(panel1_, kLabel7, "- A peace message from EGYPT and Arab world to the entire world");
  SetText(panel1_, kLabel9, "With my Best wishes");
  SetText(panel1_, kLabel15, kAuthorName);
  SetText(panel1_, kLabel10, Label10Text());
}

void AboutWindow::Label15Click() {
  // What the shell does with the link is its own business; nothing is reported.
  std::string mail = std::string("mailto: ") + kAuthorEmail;
  ShellExecuteA(nullptr, "open", mail.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void AboutWindow::Label17Click() {
  ShellExecuteA(GetDesktopWindow(), nullptr, kHomePageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

bool AboutWindow::IsLink(HWND control) const {
  int id = GetDlgCtrlID(control);
  return GetParent(control) == panel1_ && (id == kLabel15 || id == kLabel17);
}

LRESULT AboutWindow::LabelColours(HDC dc, HWND label) {
  COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  switch (GetDlgCtrlID(label)) {
    case kLabel1:
    case kLabel15: text = kNavy; break;
    case kLabel10: text = kRed; break;
    case kLabel17: text = kBlue; break;
  }
  SetTextColor(dc, text);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT AboutWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == STN_CLICKED && IsLink(reinterpret_cast<HWND>(lp))) {
        if (LOWORD(wp) == kLabel15) Label15Click();
        if (LOWORD(wp) == kLabel17) Label17Click();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
      return LabelColours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_SETCURSOR:
      if (IsLink(reinterpret_cast<HWND>(wp))) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
  }
  return Window::HandleMessage(msg, wp, lp);
}

}  // namespace velq
