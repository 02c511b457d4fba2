#pragma once
// TpUpdateMainForm (TTpUpdateMainForm): the web update window.

#include "plugin/window.h"

namespace velq {

class WebUpdateWindow : public Window {
 public:
  static constexpr const char* kClassName = "TTpUpdateMainForm";
  static constexpr const char* kCaption = "Velq Transponders Updater  (Web Update)";
  static constexpr UINT_PTR kTimer1 = 1;

  explicit WebUpdateWindow(HINSTANCE instance);

 protected:
  void OnCreate() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Timer1Timer() {}
};

}  // namespace velq
