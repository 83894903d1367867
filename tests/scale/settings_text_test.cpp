// The settings file's text: what is read from well-formed, damaged and
// hostile files, and what is written.
#include "editor/scale/settings_text.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillet;

namespace {

std::optional<float> scaleIn(std::string_view text) {
  return quillet::editor::parseSettings(text).uiScale;
}

TEST(SettingsText, WrittenTextReadsBack) {
  for (float s : {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 2.5f, 3.0f}) {
    quillet::editor::UserSettings settings;
    settings.uiScale = s;
    const std::string text = quillet::editor::formatSettings(settings);
    EXPECT_EQ(scaleIn(text), s) << text;
  }
  EXPECT_EQ(quillet::editor::formatSettings(quillet::editor::UserSettings()),
            "# Quillet K3 panel settings\nui-scale = auto\n");
  quillet::editor::UserSettings two;
  two.uiScale = 2.0f;
  EXPECT_EQ(quillet::editor::formatSettings(two), "# Quillet K3 panel settings\nui-scale = 2.00\n");
  // A value that is no size is written as no choice.
  two.uiScale = 7.0f;
  EXPECT_EQ(quillet::editor::formatSettings(two), "# Quillet K3 panel settings\nui-scale = auto\n");
}

TEST(SettingsText, ReadsWhatAPersonMightWrite) {
  EXPECT_EQ(scaleIn("ui-scale=1.5\n"), 1.5f);
  EXPECT_EQ(scaleIn("  ui-scale \t=\t 2  \n"), 2.0f);
  EXPECT_EQ(scaleIn("ui-scale = 2\r\n"), 2.0f);  // written on Windows
  EXPECT_EQ(scaleIn("# a comment\n\nui-scale = 3\n"), 3.0f);
  EXPECT_EQ(scaleIn("colour = red\nui-scale = 1.25\nother=1\n"), 1.25f);
  // Later lines win; "auto" takes a choice back.
  EXPECT_EQ(scaleIn("ui-scale = 2\nui-scale = 1.5\n"), 1.5f);
  EXPECT_FALSE(scaleIn("ui-scale = 2\nui-scale = auto\n"));
  // A bad later line does not undo a good earlier one.
  EXPECT_EQ(scaleIn("ui-scale = 2\nui-scale = 9\n"), 2.0f);
}

TEST(SettingsText, DamagedOrHostileTextGivesDefaults) {
  const std::string_view cases[] = {
      "",
      "ui-scale = 2",        // cut short: no line end
      "ui-scale = 1.",       // cut inside the number
      "ui-scale\n",          // no value
      "ui-scale = \n",       //
      "UI-SCALE = 2\n",      // keys are lower case
      "ui-scale = nan\n",    //
      "ui-scale = NaN\n",    //
      "ui-scale = inf\n",    //
      "ui-scale = -2\n",     //
      "ui-scale = 1e308\n",  //
      "ui-scale = 99999999999999999999999\n",
      "ui-scale = 0\n",              //
      "ui-scale = 0x2\n",            //
      "ui-scale = 2,5\n",            //
      "ui-scale = 2 3\n",            //
      "ui-scale == 2\n",             //
      "ui-scale = \"2\"\n",          //
      "\xef\xbb\xbfui-scale = 2\n",  // a byte-order mark makes the line foreign
      "ui-scale = 2\xc2\xa0\n",      // a no-break space, likewise
      std::string_view("ui-scale = 2\0\n", 15),
      std::string_view("ui-scale\0= 2\n", 13),
      std::string_view("\0\0\0\0\0\0\0\0\0\0\0\0\0\0\n", 15),
  };
  for (std::string_view text : cases)
    EXPECT_FALSE(scaleIn(text).has_value()) << testing::PrintToString(std::string(text));
}

TEST(SettingsText, OversizedTextIsNotReadAtAll) {
  std::string text = "ui-scale = 2\n";
  EXPECT_EQ(scaleIn(text), 2.0f);
  text.append(quillet::editor::kMaxSettingsBytes - text.size(), '\n');
  EXPECT_EQ(scaleIn(text), 2.0f);  // exactly the limit
  text += '\n';
  EXPECT_FALSE(scaleIn(text).has_value());
  // A huge line neither hangs nor is half-read.
  EXPECT_FALSE(scaleIn(std::string(1 << 20, '9') + "\n").has_value());
}

}  // namespace
