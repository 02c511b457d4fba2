#pragma once
// Form1 (TForm1): the network search window. Its rules live in the portable
// search library; this class draws the controls and routes their events.

#include <memory>

#include "plugin/list_view_check_list.h"
#include "plugin/window.h"

namespace velq {

class SearchWindow : public Window {
 public:
  static constexpr const char* kClassName = "TForm1";
  static constexpr const char* kCaption = "Velq Transponders Updater (Network Search)";
  static constexpr UINT_PTR kTimer1 = 1;
  static constexpr UINT kTimer1Interval = 500;
  // Control ids (the names the tests find them by).
  enum ControlId {
    kImage1 = 100, kPanel1, kButton2, kButton3, kButton1, kSpinEdit1, kSpinEdit1Arrows, kButton8,
    kPanel2, kButton10, kButton7, kButton11, kLabel2, kProgressBar1, kLabel3, kLabel1, kButton9,
    kListView1
  };

  explicit SearchWindow(HINSTANCE instance);
  ~SearchWindow() override;

  // The status line.
  void SetLabel2(const std::string& text);

 protected:
  void OnCreate() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
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
  void TakeParserResults();
  void OnCommand(int id);
  LRESULT OnNotify(const NMHDR& header);
  void SetAllChecked(bool checked);
  int SpinEdit1Value() const;

  HBRUSH background_ = nullptr;
  HWND button2_ = nullptr, progressBar1_ = nullptr, spinArrows_ = nullptr, listView1_ = nullptr;
  HWND label1_ = nullptr, label2_ = nullptr, label3_ = nullptr;
  std::unique_ptr<ListViewCheckList> list_;
};

}  // namespace velq
