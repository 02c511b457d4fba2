#pragma once
// Form1 (TForm1): the network search window. Its rules live in the portable
// search library; this class draws the controls and routes their events.

#include <memory>
#include <vector>

#include "plugin/list_view_check_list.h"
#include "plugin/window.h"
#include "search/parser_results.h"

namespace velq {

class SearchWindow : public Window {
 public:
  static constexpr const char* kClassName = "TForm1";
  static constexpr const char* kCaption = "Velq Transponders Updater (Network Search)";
  static constexpr UINT_PTR kTimer1 = 1;
  static constexpr UINT kTimer1Interval = 500;
  // Control ids: ButtonN is 1000 + N, LabelN 1100 + N, the others below.
  enum ControlId {
    kButton1 = 1001, kButton2 = 1002, kButton3 = 1003, kButton7 = 1007, kButton8 = 1008,
    kButton9 = 1009, kButton10 = 1010, kButton11 = 1011,
    kLabel1 = 1101, kLabel2 = 1102, kLabel3 = 1103,
    kImage1 = 1201, kPanel1 = 1301, kPanel2 = 1302, kListView1 = 1401, kSpinEdit1 = 1501,
    kSpinEdit1Arrows = 1502, kProgressBar1 = 1601
  };

  explicit SearchWindow(HINSTANCE instance);
  ~SearchWindow() override;

  // The status line.
  void SetLabel2(const std::string& text);

 protected:
  void OnCreate() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void MakeSpinEdit1(HWND panel1, HFONT font);
  void FormCreate();
  void Button2Click();   // Start Search
  void Button3Click();   // Stop Search
  void Timer1Timer();
  void Button9Click();   // Remove duplicated
  void Button1Click();   // Max Freq Diff
  void Button10Click();  // Select all
  void Button11Click();  // Select None
  void Button7Click();   // Clear all
  void Button8Click();   // Save selected
  void ListView1ColumnClick();
  void ShowParserResults(const std::vector<ParserResult>& results);
  void OnCommand(int id);
  LRESULT OnNotify(const NMHDR& header);
  void SetAllChecked(bool checked);
  int SpinEdit1Value() const;

  bool placed_ = false;
  HBRUSH background_ = nullptr;
  HWND button2_ = nullptr, progressBar1_ = nullptr, spinArrows_ = nullptr, listView1_ = nullptr;
  HWND label1_ = nullptr, label2_ = nullptr, label3_ = nullptr;
  std::unique_ptr<ListViewCheckList> list_;
};

}  // namespace velq
