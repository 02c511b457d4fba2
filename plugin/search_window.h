#pragma once
// Form1 (TForm1): the network search window.

#include "plugin/window.h"

namespace velq {

class SearchWindow : public Window {
 public:
  static constexpr const char* kClassName = "TForm1";
  static constexpr const char* kCaption = "Velq Transponders Updater (Network Search)";
  enum ControlId { kLabel1 = 101, kLabel2, kLabel3 };

  explicit SearchWindow(HINSTANCE instance);
  ~SearchWindow() override;

  // The status line.
  void SetLabel2(const std::string& text);

 protected:
  void OnCreate() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void FormCreate();
  HBRUSH background_ = nullptr;
  HWND label1_ = nullptr, label2_ = nullptr, label3_ = nullptr;
};

}  // namespace velq
