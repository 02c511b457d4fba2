#pragma once
// The standard Windows menu template (RT_MENU, version 0) as a plug-in
// stores it, read without the loader's help so that its items can be
// checked and merged one by one.

#include <windows.h>

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace mdhost {

struct MenuTemplateItem {
  WORD flags = 0;  // as stored, MF_END (0x80) included
  WORD id = 0;     // 0 for pop-ups, which carry no id
  std::wstring text;
  std::vector<MenuTemplateItem> children;  // items of a pop-up

  bool isPopup() const { return (flags & MF_POPUP) != 0; }
  bool isLast() const { return (flags & MF_END) != 0; }
  // Resource compilers store MENUITEM SEPARATOR as flags 0, id 0, no text.
  bool isSeparator() const { return (flags & MF_SEPARATOR) != 0 || (!isPopup() && id == 0 && text.empty()); }
};

struct MenuTemplateError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The top-level items of a template; throws MenuTemplateError when the
// bytes are not a complete version-0 template.
std::vector<MenuTemplateItem> parseMenuTemplate(std::span<const std::uint8_t> bytes);

}  // namespace mdhost
