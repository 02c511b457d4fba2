#include "tools/mdhost/menu_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mdhost {
namespace {

// Little-endian template bytes, written the way a resource compiler does.
class TemplateBytes {
 public:
  explicit TemplateBytes(WORD version = 0, WORD headerSize = 0) {
    word(version);
    word(headerSize);
    for (WORD i = 0; i < headerSize; ++i) bytes_.push_back(0xEE);
  }
  TemplateBytes& item(WORD flags, WORD id, const std::wstring& text) {
    word(flags);
    word(id);
    return string(text);
  }
  TemplateBytes& popup(WORD flags, const std::wstring& text) {
    word(static_cast<WORD>(flags | MF_POPUP));
    return string(text);
  }
  TemplateBytes& raw(std::vector<std::uint8_t> more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  void word(WORD w) {
    bytes_.push_back(static_cast<std::uint8_t>(w));
    bytes_.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  TemplateBytes& string(const std::wstring& text) {
    for (wchar_t c : text) word(static_cast<WORD>(c));
    word(0);
    return *this;
  }
  std::vector<std::uint8_t> bytes_;
};

TEST(MenuTemplate, ReadsItemsPopupsAndSeparatorsWithTheirStoredFlags) {
  auto bytes = TemplateBytes(0, 4)  // with extra header bytes to skip
                   .item(0, 40065, L"Network Search")
                   .item(0, 0, L"")
                   .popup(0, L"More")
                   .item(MF_GRAYED, 2, L"Two")
                   .popup(MF_END, L"Deeper")
                   .item(MF_END, 3, L"Three")
                   .item(0x0080, 40068, L"About")
                   .raw({0, 0, 0xAB, 0xCD})  // padding after the end flag
                   .bytes();
  auto items = parseMenuTemplate(bytes);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].id, 40065);
  EXPECT_EQ(items[0].text, L"Network Search");
  EXPECT_TRUE(items[1].isSeparator());
  ASSERT_TRUE(items[2].isPopup());
  EXPECT_EQ(items[2].id, 0);  // pop-ups carry no id
  ASSERT_EQ(items[2].children.size(), 2u);
  EXPECT_EQ(items[2].children[0].flags, MF_GRAYED);
  ASSERT_EQ(items[2].children[1].children.size(), 1u);
  EXPECT_EQ(items[2].children[1].children[0].text, L"Three");
  EXPECT_EQ(items[3].flags, 0x0080);
  EXPECT_EQ(items[3].id, 40068);
  EXPECT_TRUE(items[3].isLast());
}

TEST(MenuTemplate, RejectsWhatIsNotACompleteStandardTemplate) {
  TemplateBytes deep;
  for (int i = 0; i < 40; ++i) deep.popup(MF_END, L"p");
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"half a header", {0, 0, 0}},
      {"extended template", TemplateBytes(1).item(MF_END, 1, L"x").bytes()},
      {"header offset past the end", {0, 0, 9, 0}},
      {"no items", TemplateBytes().bytes()},
      {"last item without the end flag", TemplateBytes().item(0, 1, L"a").item(0, 2, L"b").bytes()},
      {"text without its zero", TemplateBytes().raw({0x80, 0, 1, 0, 'a', 0, 'b', 0}).bytes()},
      {"odd byte in a text", TemplateBytes().raw({0x80, 0, 1, 0, 'a'}).bytes()},
      {"pop-up without items", TemplateBytes().popup(MF_END, L"empty").bytes()},
      {"pop-ups nested too deep", deep.bytes()},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(parseMenuTemplate(c.bytes), MenuTemplateError) << c.what;
  }
}

}  // namespace
}  // namespace mdhost
