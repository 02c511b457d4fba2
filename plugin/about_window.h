#pragma once
// Form01 (TForm01): the About window.

#include "plugin/window.h"

namespace velq {

class AboutWindow : public Window {
 public:
  static constexpr const char* kClassName = "TForm01";
  static constexpr const char* kCaption = "About";

  explicit AboutWindow(HINSTANCE instance);
};

}  // namespace velq
