#include "plugin/web_update_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include <array>

#include "plugin/about_window.h"
#include "plugin/controls.h"
#include "plugin/dialog_keys.h"
#include "plugin/error_box.h"
#include "plugin/folder_dialog.h"
#include "plugin/host_paths.h"
#include "plugin/panel.h"
#include "plugin/plugin_module.h"
#include "plugin/ui_style.h"
#include "webupdate/download_folder.h"
#include "webupdate/download_site.h"
#include "webupdate/tp_catalogue.h"
#include "webupdate/tp_fetch.h"
#include "webupdate/update_all_order.h"

namespace velq {

namespace {

constexpr COLORREF kMediumGrey = RGB(160, 160, 164);
constexpr int kColumnPitch = 100;  // buttons
constexpr std::array<int, kCatalogueColumns> kPanelLefts = {8, 107, 207, 307, 407, 507, 607};
constexpr std::array<int, 10> kRowTops = {56, 97, 138, 180, 221, 263, 304, 346, 387, 429};

bool IsDarkColumn(int column) { return column % 2 == 1; }

std::string DefaultFolder() { return DefaultDownloadFolder(HostExecutablePath()); }

// Clears a flag on every way out of a handler.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

WebUpdateWindow::WebUpdateWindow(HINSTANCE instance)
    : darkPanel_(CreateSolidBrush(GetSysColor(COLOR_3DDKSHADOW))),
      greyPanel_(CreateSolidBrush(kMediumGrey)) {
  Frame frame{kClassName, kCaption, 703, 568, WS_POPUP | WS_CAPTION | WS_SYSMENU,
              WS_EX_TOOLWINDOW, 454, 128};
  CreateFrame(instance, frame);
  AttachMenu();
}

WebUpdateWindow::~WebUpdateWindow() {
  Destroy();
  if (darkPanel_) DeleteObject(darkPanel_);
  if (greyPanel_) DeleteObject(greyPanel_);
}

void WebUpdateWindow::AttachMenu() {
  HMENU menu = CreateMenu();  // destroyed with the window
  AppendMenuA(menu, MF_STRING, kAboutTpUpdate, "About");
  SetMenu(hwnd(), menu);
  // The menu bar takes its height from the frame, not from the client area.
  RECT r{0, 0, 703, 568};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_STYLE)), TRUE,
                     static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_EXSTYLE)));
  SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WebUpdateWindow::OnCreate() {
  HWND w = hwnd();
  HFONT font = UiFont("MS Sans Serif", 11, false);
  // Made in tab order; the first made lies on top where controls overlap,
  // so the memo, made last, stays behind everything.
  MakeButton(w, std::string(kUpdateAllCaption).c_str(), {16, 528, 233, 25}, kButton57, font);
  progressBar1_ = MakeControl(w, PROGRESS_CLASSA, "", 0, {316, 528, 345, 26}, kProgressBar1, nullptr);
  SendMessageA(progressBar1_, PBM_SETRANGE32, 0, 100);
  MakePositionPanels(w, font);
  MakeFolderPanel(w, font);
  MakeBanner(w, {0, 0, 703, 22}, kImage1);
  SendMessageA(GetDlgItem(w, kImage1), WM_SETFONT,
               reinterpret_cast<WPARAM>(UiFont("MS Sans Serif", 13, true)), FALSE);
  traceMemo_ = MakeControl(w, "EDIT", "", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                           {0, 22, 703, 546}, kTraceMemo, UiFont("Courier New", 11, false));
  FormCreate();
  // The timer runs from creation to unload, shown or hidden.
  SetTimer(w, kTimer1, kTimer1Interval, nullptr);
}

void WebUpdateWindow::MakePositionPanels(HWND w, HFONT buttonFont) {
  for (const CatalogueRow& row : TpCatalogue) {
    MakeButton(w, std::string(row.caption).c_str(),
               {16 + kColumnPitch * (row.column - 1), kRowTops[static_cast<size_t>(row.row - 1)], 75, 25},
               PositionButtonId(row.button), buttonFont);
  }
  HFONT labelFont = UiFont("MS Sans Serif", 15, true);
  for (int column = 1; column <= kCatalogueColumns; ++column) {
    COLORREF fill = IsDarkColumn(column) ? GetSysColor(COLOR_3DDKSHADOW) : kMediumGrey;
    HWND panel = MakeRaisedPanel(w, {kPanelLefts[static_cast<size_t>(column - 1)], 28, 90, 456},
                                 kPanel1 + column - 1, fill);
    MakeLabel(panel, std::string(ColumnLabel(column)).c_str(), column == 5 ? 5 : 4, 10,
              kLabel1 + column - 1, labelFont);
  }
}

void WebUpdateWindow::MakeFolderPanel(HWND w, HFONT font) {
  HWND panel8 = MakeRaisedPanel(w, {8, 490, 689, 69}, kPanel8, GetSysColor(COLOR_BTNFACE));
  MakeButton(panel8, "Change directory", {8, 7, 97, 25}, kButton58, font);
  MakeLabel(panel8, "Default is app path\\Transponders", 125, 15, kLabel8, font);
  edit1_ = MakeControl(panel8, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, {308, 11, 345, 21}, kEdit1,
                       font, WS_EX_CLIENTEDGE);
}

void WebUpdateWindow::FormCreate() { DownloadFolder = DefaultFolder(); }

void WebUpdateWindow::Timer1Timer() {
  // The typed text is taken as it stands; a box that is empty or holds only
  // blanks means the default.
  std::string typed = WindowText(edit1_);
  DownloadFolder = NamesNoFolder(typed) ? DefaultFolder() : typed;
}

WebUpdateContext WebUpdateWindow::FetchContext() {
  return {downloader_, DownloadSiteBase(), [this] { return DownloadFolder; },
          [this](std::uint32_t done, std::uint32_t total) { DownloadProgress(done, total); },
          PathStyle::Windows};
}

void WebUpdateWindow::DownloadTpFile(const CatalogueRow& row) {
  DialogKeysPause noDialogKeys;
  velq::DownloadTpFile(FetchContext(), row);
}

void WebUpdateWindow::DownloadProgress(unsigned progress, unsigned progressMax) {
  SendMessageA(progressBar1_, PBM_SETRANGE32, 0, static_cast<LPARAM>(progressMax));
  SendMessageA(progressBar1_, PBM_SETPOS, progress, 0);
  UpdateWindow(progressBar1_);  // the download holds the thread
}

void WebUpdateWindow::Button57Click() {
  // The loop that velqtp runs too: it stops at the first failed step.
  {
    DialogKeysPause noDialogKeys;
    RunUpdateAll(FetchContext());
  }
  ShowMessageBox(hwnd(), std::string(kAllSatellitesUpdatedText));
}

void WebUpdateWindow::Button58Click() {
  // The window stays usable while the dialog is open: a second click finds
  // the dialog rather than opening another.
  if (RaiseOpenFolderDialog()) return;
  std::string folder = BrowseForFolder("Select a folder", BIF_RETURNONLYFSDIRS);
  // DownloadFolder follows at the next tick of Timer1.
  if (!folder.empty()) SetWindowTextA(edit1_, (folder + "\\").c_str());
}

void WebUpdateWindow::AboutTpUpdateClick() {
  if (AboutWindow* about = PluginModule::Instance().Form01()) about->ShowAndRaise();
}

void WebUpdateWindow::OnCommand(int id) {
  if (id == kButton58) return Button58Click();
  if (id == kAboutTpUpdate) return AboutTpUpdateClick();
  if (fetching_) return;
  if (id == kButton57) {
    FlagScope busy(fetching_);
    return Button57Click();
  }
  if (const CatalogueRow* row = FindRowByButton(id - PositionButtonId(0))) {
    FlagScope busy(fetching_);
    DownloadTpFile(*row);
  }
}

LRESULT WebUpdateWindow::LabelColours(HDC dc, HWND control) {
  int column = GetDlgCtrlID(control) - kLabel1 + 1;
  bool dark = IsDarkColumn(column);
  SetTextColor(dc, dark ? RGB(0, 0, 0) : GetSysColor(COLOR_HOTLIGHT));
  SetBkColor(dc, dark ? GetSysColor(COLOR_3DDKSHADOW) : kMediumGrey);
  return reinterpret_cast<LRESULT>(dark ? darkPanel_ : greyPanel_);
}

LRESULT WebUpdateWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) RunHandler(hwnd(), [&] { OnCommand(LOWORD(wp)); });
      return 0;
    case WM_TIMER:
      if (wp == kTimer1) RunHandler(hwnd(), [&] { Timer1Timer(); });
      return 0;
    case WM_CTLCOLORSTATIC: {
      int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      if (id >= kLabel1 && id < kLabel1 + kCatalogueColumns)
        return LabelColours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
      break;
    }
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lp) == traceMemo_) {
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_DESKTOP));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_DESKTOP));
      }
      break;
  }
  return Window::HandleMessage(msg, wp, lp);
}

}  // namespace velq
