#include "tools/mdhost/menu_template.h"

namespace mdhost {
namespace {

// Deep enough for any real menu, shallow enough that a hostile resource
// cannot exhaust the stack.
constexpr int kMaxPopupDepth = 16;

class TemplateReader {
 public:
  explicit TemplateReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  WORD word(const char* what) {
    if (bytes_.size() - pos_ < 2) fail(std::string("template ends inside ") + what);
    WORD value = static_cast<WORD>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return value;
  }

  std::wstring text() {
    std::wstring out;
    for (;;) {
      WORD unit = word("an item text");
      if (unit == 0) return out;
      out.push_back(static_cast<wchar_t>(unit));
    }
  }

  void skip(std::size_t n) {
    if (bytes_.size() - pos_ < n) fail("template header points past its end");
    pos_ += n;
  }

  [[noreturn]] void fail(const std::string& why) const {
    throw MenuTemplateError("menu template at byte " + std::to_string(pos_) + ": " + why);
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

std::vector<MenuTemplateItem> readItems(TemplateReader& in, int depth) {
  if (depth > kMaxPopupDepth) in.fail("pop-ups nested too deep");
  std::vector<MenuTemplateItem> items;
  for (;;) {
    MenuTemplateItem item;
    item.flags = in.word("an item's flags");
    if (!item.isPopup()) item.id = in.word("an item's id");
    item.text = in.text();
    if (item.isPopup()) item.children = readItems(in, depth + 1);
    bool last = item.isLast();
    items.push_back(std::move(item));
    if (last) return items;
  }
}

}  // namespace

std::vector<MenuTemplateItem> parseMenuTemplate(std::span<const std::uint8_t> bytes) {
  TemplateReader in(bytes);
  WORD version = in.word("the header");
  WORD headerSize = in.word("the header");
  if (version != 0) in.fail("version " + std::to_string(version) + " is not a standard menu template");
  in.skip(headerSize);
  return readItems(in, 0);
}

}  // namespace mdhost
