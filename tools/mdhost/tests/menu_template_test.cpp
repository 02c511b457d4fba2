#include "tools/mdhost/menu_template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mdhost {
namespace {

using namespace std::literals;

// A template is 16-bit words: the header (version, extra header bytes), then
// each item's flags, its id (pop-ups have none) and its text with a zero.
std::u16string Item(WORD flags, WORD id, std::u16string_view text) {
  return std::u16string{char16_t(flags), char16_t(id)}.append(text).append(1, u'\0');
}
std::u16string Popup(WORD flags, std::u16string_view text) {
  return std::u16string{char16_t(flags | MF_POPUP)}.append(text).append(1, u'\0');
}
// Stored little-endian, as a resource compiler writes it.
std::vector<std::uint8_t> Bytes(const std::u16string& words) {
  std::vector<std::uint8_t> bytes;
  for (char16_t w : words) bytes.insert(bytes.end(), {std::uint8_t(w), std::uint8_t(w >> 8)});
  return bytes;
}
const std::u16string kHeader(2, u'\0');

TEST(MenuTemplate, ReadsItemsPopupsAndSeparatorsWithTheirStoredFlags) {
  auto bytes = Bytes(u"\0\2\xEEEE"s + Item(0, 40065, u"Network Search") + Item(0, 0, u"") +  // 2 header bytes more
                     Popup(0, u"More") + Item(MF_GRAYED, 2, u"Two") + Popup(MF_END, u"Deeper") +
                     Item(MF_END, 3, u"Three") + Item(0x0080, 40068, u"About") + u"\0\xCDAB"s);  // padding
  auto items = parseMenuTemplate(bytes);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].id, 40065);
  EXPECT_EQ(items[0].text, L"Network Search");
  EXPECT_TRUE(items[1].isSeparator());
  ASSERT_TRUE(items[2].isPopup());
  EXPECT_EQ(items[2].id, 0);
  ASSERT_EQ(items[2].children.size(), 2u);
  EXPECT_EQ(items[2].children[0].flags, MF_GRAYED);
  ASSERT_EQ(items[2].children[1].children.size(), 1u);
  EXPECT_EQ(items[2].children[1].children[0].text, L"Three");
  EXPECT_EQ(items[3].flags, 0x0080);
  EXPECT_EQ(items[3].id, 40068);
  EXPECT_TRUE(items[3].isLast());
}

TEST(MenuTemplate, RejectsWhatIsNotACompleteStandardTemplate) {
  std::u16string deep = kHeader;
  for (int i = 0; i < 40; ++i) deep += Popup(MF_END, u"p");
  const std::vector<std::uint8_t> oddByte = {0, 0, 0, 0, 0x80, 0, 1, 0, 'a'};
  const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
      {"empty", {}},
      {"half a header", {0, 0, 0}},
      {"extended template", Bytes(u"\1\0"s + Item(MF_END, 1, u"x"))},
      {"header offset past the end", {0, 0, 9, 0}},
      {"no items", Bytes(kHeader)},
      {"last item without the end flag", Bytes(kHeader + Item(0, 1, u"a") + Item(0, 2, u"b"))},
      {"text without its zero", Bytes(kHeader + u"\x80\1ab")},
      {"odd byte in a text", oddByte},
      {"pop-up without items", Bytes(kHeader + Popup(MF_END, u"empty"))},
      {"pop-ups nested too deep", Bytes(deep)},
  };
  for (const auto& [what, bytes] : cases) EXPECT_THROW(parseMenuTemplate(bytes), MenuTemplateError) << what;
}

}  // namespace
}  // namespace mdhost
