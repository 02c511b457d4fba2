#pragma once
// Form01 (TForm01): the About window: name, version, a few lines about the
// plug-in, and links to the author's mail and home page.

#include "plugin/window.h"

namespace velq {

class AboutWindow : public Window {
 public:
  static constexpr const char* kClassName = "TForm01";
  static constexpr const char* kCaption = "About";
  // Control ids (the names the tests find them by).
  enum ControlId {
    kImage2 = 100, kPanel1, kImage1, kLabel1, kLabel2, kLabel3, kLabel4, kLabel5, kLabel7, kLabel9,
    kLabel10, kLabel15, kLabel17
  };

  explicit AboutWindow(HINSTANCE instance);
  ~AboutWindow() override;

 protected:
  void OnCreate() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void FormCreate();
  void Label15Click();  // mail to the author
  void Label17Click();  // home page
  LRESULT LabelColours(HDC dc, HWND label);
  bool IsLink(HWND control) const;

  HINSTANCE instance_;
  HWND panel1_ = nullptr;
};

}  // namespace velq
