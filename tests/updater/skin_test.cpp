#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <memory>
#include <string>
#include <vector>

#include "core/owners.h"
#include "skin_color.h"
#include "updater_skin.h"

namespace {

TEST(ParseHexColor, AcceptsSixDigitsWithOrWithoutPrefix) {
  const struct {
    const char* text;
    COLORREF expected;
  } cases[] = {
      {"#FF0000", RGB(255, 0, 0)},   {"0xFF0000", RGB(255, 0, 0)}, {"FF0000", RGB(255, 0, 0)},
      {"0XFF0000", RGB(255, 0, 0)},  {"#00ff00", RGB(0, 255, 0)},  {"0000Ff", RGB(0, 0, 255)},
      {"#74EAA9", RGB(116, 234, 169)},
      // Everything else is black.
      {"red", 0}, {"#F00", 0}, {"FF00000", 0}, {"FF000", 0}, {"#GG0000", 0}, {"", 0}, {"#", 0},
      {"0x", 0},  {" FF0000", 0}, {"FF0000 ", 0}, {"##FF0000", 0}, {"#0xFF0000", 0}, {nullptr, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, parse_hex_color(c.text)) << (c.text ? c.text : "(null)");
}

vemo::JsonPtr parse(const char* text) { return vemo::JsonPtr(cJSON_Parse(text)); }

const std::vector<std::string> kAllMissing = {
    "progress_bottom_color is nil !!!",   "progress_top_color is nil !!!", "button_background_color is nil !!!",
    "button_border_color is nil !!!", "button_text_color is nil !!!",
};

TEST(UpdaterSkin, NoSkinFileKeepsTheBuiltInColoursAndReportsEveryKey) {
  SkinReading reading = read_updater_skin(nullptr);
  EXPECT_EQ(kAllMissing, reading.missing);
  const UpdaterSkin& skin = reading.skin;
  EXPECT_EQ(RGB(21, 21, 21), skin.progress_bottom);
  EXPECT_EQ(RGB(116, 234, 169), skin.progress_top);
  EXPECT_EQ(RGB(30, 50, 59), skin.button_background);
  EXPECT_EQ(RGB(72, 106, 121), skin.button_border);
  EXPECT_EQ(RGB(255, 255, 255), skin.button_text);
  EXPECT_EQ(RGB(255, 255, 255), skin.button_text_hover);
}

TEST(UpdaterSkin, EveryKeyReadAndTheHoverColourIsOptional) {
  vemo::JsonPtr full = parse(R"({"progress_bottom_color":"#010203","progress_top_color":"0x040506",
      "button_background_color":"070809","button_border_color":"#0A0B0C","button_text_color":"#0D0E0F",
      "button_text_hover_color":"#101112"})");
  SkinReading reading = read_updater_skin(full.get());
  EXPECT_TRUE(reading.missing.empty());
  EXPECT_EQ(RGB(1, 2, 3), reading.skin.progress_bottom);
  EXPECT_EQ(RGB(4, 5, 6), reading.skin.progress_top);
  EXPECT_EQ(RGB(7, 8, 9), reading.skin.button_background);
  EXPECT_EQ(RGB(10, 11, 12), reading.skin.button_border);
  EXPECT_EQ(RGB(13, 14, 15), reading.skin.button_text);
  EXPECT_EQ(RGB(16, 17, 18), reading.skin.button_text_hover);

  // Without a hover colour the text keeps its colour under the mouse, silently.
  vemo::JsonPtr no_hover = parse(R"({"progress_bottom_color":"#010203","progress_top_color":"0x040506",
      "button_background_color":"070809","button_border_color":"#0A0B0C","button_text_color":"#0D0E0F"})");
  reading = read_updater_skin(no_hover.get());
  EXPECT_TRUE(reading.missing.empty());
  EXPECT_EQ(RGB(13, 14, 15), reading.skin.button_text_hover);
}

TEST(UpdaterSkin, EmptyOrNonStringValuesCountAsMissingAndBadTextIsBlack) {
  vemo::JsonPtr tree = parse(R"({"progress_bottom_color":"","progress_top_color":12,
      "button_background_color":null,"button_border_color":"navy","button_text_color":["#FFFFFF"]})");
  SkinReading reading = read_updater_skin(tree.get());
  std::vector<std::string> expected = {"progress_bottom_color is nil !!!", "progress_top_color is nil !!!",
                                       "button_background_color is nil !!!", "button_text_color is nil !!!"};
  EXPECT_EQ(expected, reading.missing);
  EXPECT_EQ(RGB(21, 21, 21), reading.skin.progress_bottom);
  EXPECT_EQ(0u, reading.skin.button_border);  // present but not a colour
}

}  // namespace
