#include "plugin/search_window.h"

#include <commctrl.h>

#include "plugin/controls.h"
#include "plugin/error_box.h"
#include "plugin/host_paths.h"
#include "plugin/network_search.h"
#include "plugin/panel.h"
#include "plugin/plugin_module.h"
#include "plugin/ui_style.h"
#include "search/duplicate_rules.h"
#include "search/save_selected.h"

namespace velq {

namespace {
constexpr COLORREF kBackground = RGB(139, 156, 201);

char LocaleTimeSeparator() {
  char sep[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, sep, sizeof sep) > 1) return sep[0];
  return ':';
}

LocalDateTime LocalNow() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}
}  // namespace

SearchWindow::SearchWindow(HINSTANCE instance) : background_(CreateSolidBrush(kBackground)) {
  // An overlapped frame: with no host window to stand over, the system
  // chooses its place.
  Frame frame{kClassName, kCaption, 496, 408, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
              WS_EX_TOOLWINDOW | WS_EX_TOPMOST};
  frame.background = background_;
  CreateFrame(instance, frame);
  NetworkSearch::Instance().SetResultWindow(hwnd());
}

SearchWindow::~SearchWindow() {
  NetworkSearch::Instance().SetResultWindow(nullptr);
  Destroy();
  if (background_) DeleteObject(background_);
}

void SearchWindow::OnCreate() {
  HWND w = hwnd();
  HFONT bold = UiFont("Tahoma", 13, true);
  HFONT plain = UiFont("Tahoma", 13, false);
  // Created in tab order, which is also the z-order: where a button stands
  // on a panel, the button was made first and lies on top.
  button2_ = MakeButton(w, "Start Search", {8, 42, 89, 25}, kButton2, bold);
  MakeButton(w, "Stop Search", {103, 42, 89, 25}, kButton3, bold);
  listView1_ = MakeControl(w, WC_LISTVIEWA, "",
                           WS_TABSTOP | LVS_REPORT | LVS_EDITLABELS | LVS_SHOWSELALWAYS,
                           {208, 25, 280, 376}, kListView1, bold, WS_EX_CLIENTEDGE);
  SendMessageA(listView1_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 279;
  column.pszText = const_cast<char*>("Rearange");
  SendMessageA(listView1_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  list_ = std::make_unique<ListViewCheckList>(listView1_);
  MakeButton(w, "Clear all", {103, 159, 87, 25}, kButton7, bold);
  MakeButton(w, "Save selected", {8, 106, 184, 25}, kButton8, bold);
  MakeButton(w, "Remove duplicated", {8, 375, 145, 25}, kButton9, bold);
  MakeButton(w, "Select all", {8, 159, 89, 25}, kButton10, bold);
  MakeButton(w, "Select None", {8, 190, 89, 25}, kButton11, bold);
  HWND panel1 = MakeRaisedPanel(w, {3, 25, 199, 114}, kPanel1, kBackground);
  MakeButton(panel1, "Max Freq Diff", {5, 50, 142, 25}, kButton1, bold);
  MakeSpinEdit1(panel1, bold);
  MakeRaisedPanel(w, {3, 145, 199, 82}, kPanel2, kBackground);
  progressBar1_ = MakeControl(w, PROGRESS_CLASSA, "", PBS_SMOOTH, {3, 297, 199, 20}, kProgressBar1,
                              nullptr);
  SendMessageA(progressBar1_, PBM_SETSTEP, 1, 0);
  label2_ = MakeLabel(w, "", 3, 275, kLabel2, plain);
  label3_ = MakeLabel(w, "", 3, 329, kLabel3, plain);
  label1_ = MakeLabel(w, "", 3, 351, kLabel1, plain);
  HWND banner = MakeBanner(w, {-12, 0, 520, 19}, kImage1);
  SendMessageA(banner, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
  FormCreate();
}

void SearchWindow::MakeSpinEdit1(HWND panel1, HFONT font) {
  // At 151, 74 in the window. It stands on Panel1, so it is Panel1's child,
  // after Button1: drawn above the panel and next after Button1 in the tab
  // order, as the window lists it last of its tab stops.
  // Its text cannot be typed; only the arrows and the Up and Down keys move
  // it, one step at a time, between 1 and 20.
  HWND spinText = MakeControl(panel1, "EDIT", "5", WS_TABSTOP | ES_READONLY | ES_NUMBER,
                              {151 - 3, 74 - 25, 39, 26}, kSpinEdit1, font, WS_EX_CLIENTEDGE);
  spinArrows_ = MakeControl(panel1, UPDOWN_CLASSA, "",
                            UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                            {0, 0, 0, 0}, kSpinEdit1Arrows, nullptr);
  SendMessageA(spinArrows_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(spinText), 0);
  SendMessageA(spinArrows_, UDM_SETRANGE32, 1, 20);
  SendMessageA(spinArrows_, UDM_SETPOS32, 0, 5);
  // A held arrow would otherwise speed up to steps of 5 and 20.
  UDACCEL oneStep{0, 1};
  SendMessageA(spinArrows_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&oneStep));
}

void SearchWindow::FormCreate() {
  SetLabelText(label1_, "");
  SetLabelText(label2_, "");
  SetLabelText(label3_, "");
  // A new capture starts idle: SearchDone is 1 until Start Search.
}

void SearchWindow::SetLabel2(const std::string& text) { SetLabelText(label2_, text); }

int SearchWindow::SpinEdit1Value() const {
  return static_cast<int>(SendMessageA(spinArrows_, UDM_GETPOS32, 0, 0));
}

void SearchWindow::Button2Click() {
  NitCapture& capture = NetworkSearch::Instance().capture();
  capture.StartSearch();
  SetLabelText(label2_, "Searching... please wait");
  SetLabelText(label3_, "");
  SetLabelText(label1_, "");
  EnableWindow(button2_, FALSE);
  SetTimer(hwnd(), kTimer1, kTimer1Interval, nullptr);
}

void SearchWindow::Button3Click() {
  NetworkSearch::Instance().capture().StopSearch();
  EnableWindow(button2_, TRUE);
}

void SearchWindow::Timer1Timer() {
  // Every entry of a finished parse joins the list before the duplicates go.
  SearchPoll poll = NetworkSearch::Instance().Poll();
  ShowParserResults(poll.results);
  if (!poll.finished) return;
  NetworkSearch::Instance().capture().StopNitFilter();
  Button9Click();
  EnableWindow(button2_, TRUE);
  KillTimer(hwnd(), kTimer1);
}

void SearchWindow::Button9Click() {
  ListViewBatch batch(listView1_);
  SearchStatus status = RemoveDuplicated(*list_);
  SetLabelText(label2_, status.status);
  SetLabelText(label1_, status.count);
  SendMessageA(progressBar1_, PBM_SETPOS, 0, 0);
}

void SearchWindow::Button1Click() {
  ListViewBatch batch(listView1_);
  SearchStatus status = RemoveNearDuplicates(*list_, [this] { return SpinEdit1Value(); });
  SetLabelText(label2_, status.status);
  SetLabelText(label1_, status.count);
}

void SearchWindow::SetAllChecked(bool checked) {
  const int n = list_->Count();
  for (int i = 0; i < n; ++i) list_->SetChecked(i, checked);
}

void SearchWindow::Button10Click() { SetAllChecked(true); }
void SearchWindow::Button11Click() { SetAllChecked(false); }

void SearchWindow::Button7Click() {
  list_->DeleteAll();  // one message: one update
  SetLabelText(label1_, "");
  SetLabelText(label2_, "");
  SetLabelText(label3_, "");
}

void SearchWindow::Button8Click() {
  const SatPosition position = NetworkSearch::Instance().capture().Position();
  SaveSelectedRequest request;
  request.folder = HostExecutableFolder();
  request.satPositionCode = position.SatPositionCode;
  request.satPositionName = position.SatPositionName;
  request.now = LocalNow();
  request.timeSeparator = LocaleTimeSeparator();
  SaveSelected(*list_, request);
}

void SearchWindow::ListView1ColumnClick() { list_->Sort(); }

void SearchWindow::ShowParserResults(const std::vector<ParserResult>& results) {
  if (results.empty()) return;
  ListViewBatch batch(listView1_);
  for (const ParserResult& result : results) {
    if (result.kind == ParserResult::kEntry)
      list_->Add(result.text, true);
    else
      SetLabelText(label3_, result.text);
  }
}

void SearchWindow::OnCommand(int id) {
  switch (id) {
    case kButton2: return Button2Click();
    case kButton3: return Button3Click();
    case kButton1: return Button1Click();
    case kButton8: return Button8Click();
    case kButton10: return Button10Click();
    case kButton7: return Button7Click();
    case kButton11: return Button11Click();
    case kButton9: return Button9Click();
  }
}

LRESULT SearchWindow::OnNotify(const NMHDR& header) {
  if (header.idFrom != kListView1) return 0;
  if (header.code == LVN_COLUMNCLICK) {
    ListView1ColumnClick();
  } else if (header.code == LVN_ENDLABELEDITA) {
    const auto& edit = reinterpret_cast<const NMLVDISPINFOA&>(header);
    // The edited text replaces the entry's, then the list sorts again.
    if (edit.item.pszText) list_->SetText(edit.item.iItem, edit.item.pszText);
  }
  return 0;
}

LRESULT SearchWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) RunHandler(hwnd(), [&] { OnCommand(LOWORD(wp)); });
      return 0;
    case WM_NOTIFY:
      RunHandler(hwnd(), [&] { OnNotify(*reinterpret_cast<const NMHDR*>(lp)); });
      return 0;
    case WM_TIMER:
      if (wp == kTimer1) RunHandler(hwnd(), [&] { Timer1Timer(); });
      return 0;
    case kMsgParserResults:
      RunHandler(hwnd(), [&] { ShowParserResults(NetworkSearch::Instance().TakeResults()); });
      return 0;
    case WM_SHOWWINDOW:
      if (wp) {
        // The first show puts the window over the host's (with no host
        // window, where the system placed it); later ones keep where the
        // user left it.
        if (!placed_) PlaceOver(hwnd(), PluginModule::Instance().HostWnd);
        placed_ = true;
        SetWindowTextA(hwnd(), kCaption);  // FormShow
      }
      break;
    case WM_CTLCOLORSTATIC: {  // labels: black on the window's colour
      HDC dc = reinterpret_cast<HDC>(wp);
      if (GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == kSpinEdit1) {
        // Read-only, yet an edit box to the eye: its value on white.
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, kBackground);
      return reinterpret_cast<LRESULT>(background_);
    }
  }
  return Window::HandleMessage(msg, wp, lp);
}

}  // namespace velq
