#include "plugin/ui_style.h"

#include <map>
#include <string>
#include <tuple>

namespace velq {

namespace {
using FontKey = std::tuple<std::string, int, bool>;
std::map<FontKey, HFONT>& Fonts() {
  static std::map<FontKey, HFONT> fonts;
  return fonts;
}
}  // namespace

HFONT UiFont(const char* face, int pixelHeight, bool bold) {
  FontKey key{face, pixelHeight, bold};
  auto it = Fonts().find(key);
  if (it != Fonts().end()) return it->second;
  HFONT font = CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
  Fonts()[key] = font;
  return font;
}

void FreeUiFonts() {
  for (auto& [key, font] : Fonts())
    if (font) DeleteObject(font);
  Fonts().clear();
}

}  // namespace velq
