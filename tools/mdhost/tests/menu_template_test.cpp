// Menu templates beyond what our resource compiler writes (that one is read
// in the host's merge test, from fake_plugin.rc).

#include "tools/mdhost/menu_template.h"

#include <gtest/gtest.h>

namespace mdhost {
namespace {

using namespace std::literals;

// 16-bit words, stored little-endian: the header (version, extra header
// bytes), then each item's flags, its id (pop-ups have none) and its text
// with a zero.
std::u16string Item(WORD flags, WORD id, std::u16string_view text) {
  std::u16string item{char16_t(flags), char16_t(id)};
  if (flags & MF_POPUP) item.pop_back();
  return item.append(text).append(1, u'\0');
}
std::vector<std::uint8_t> Bytes(const std::u16string& words) {
  std::vector<std::uint8_t> bytes;
  for (char16_t w : words) bytes.insert(bytes.end(), {std::uint8_t(w), std::uint8_t(w >> 8)});
  return bytes;
}

TEST(MenuTemplate, ReadsAnyStandardTemplateAndRejectsTheRest) {
  // A longer header, and padding after the end.
  EXPECT_EQ(parseMenuTemplate(Bytes(u"\0\2\xEEEE"s + Item(MF_END, 1, u"x") + u"\xCDAB"s)).size(), 1u);
  const std::u16string header(2, u'\0');
  std::u16string deep = header;
  for (int i = 0; i < 40; ++i) deep += Item(MF_POPUP | MF_END, 0, u"p");
  const std::pair<const char*, std::vector<std::uint8_t>> rejected[] = {
      {"empty", {}},
      {"extended template", Bytes(u"\1\0"s + Item(MF_END, 1, u"x"))},
      {"header offset past the end", {0, 0, 9, 0}},
      {"last item without the end flag", Bytes(header + Item(0, 1, u"a") + Item(0, 2, u"b"))},
      {"text without its zero", Bytes(header + u"\x80\1ab")},
      {"odd byte in a text", {0, 0, 0, 0, 0x80, 0, 1, 0, 'a'}},
      {"pop-ups nested too deep", Bytes(deep)},
  };
  for (const auto& [what, bytes] : rejected) EXPECT_THROW(parseMenuTemplate(bytes), MenuTemplateError) << what;
}

}  // namespace
}  // namespace mdhost
