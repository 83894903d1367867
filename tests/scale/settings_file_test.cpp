// The settings file on disk: where it lives, replacing it atomically, and
// reading whatever is found there without hanging or crashing.
#include "platform/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "editor/scale/user_settings.h"

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void spit(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder per test, and the environment put back afterwards.
class SettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillet-settings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    for (const char* name : {"XDG_CONFIG_HOME", "HOME"})
      if (const char* v = std::getenv(name)) saved.emplace_back(name, v);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
    std::system(("rm -rf '" + dir + "'").c_str());
  }
  // The folder's entries, one per line, sorted.
  std::string listing(const std::string& folder) {
    std::string out;
    FILE* ls = popen(("ls -A '" + folder + "'").c_str(), "r");
    char line[512];
    while (ls && std::fgets(line, sizeof line, ls)) out += line;
    if (ls) pclose(ls);
    return out;
  }
  std::string dir;
  std::vector<std::pair<std::string, std::string>> saved;
};

TEST_F(SettingsFile, PathFollowsXdgThenHome) {
  setenv("XDG_CONFIG_HOME", "/srv/conf", 1);
  EXPECT_EQ(quillet::platform::userSettingsPath(), "/srv/conf/quillet-k3/settings");
  setenv("HOME", "/home/ada", 1);
  setenv("XDG_CONFIG_HOME", "relative/conf", 1);  // not absolute: ignored, as XDG says
  EXPECT_EQ(quillet::platform::userSettingsPath(), "/home/ada/.config/quillet-k3/settings");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(quillet::platform::userSettingsPath(), "/home/ada/.config/quillet-k3/settings");
  // No usable HOME: the password database's home folder.
  unsetenv("HOME");
  const std::string fromPasswd = quillet::platform::userSettingsPath();
  ASSERT_FALSE(fromPasswd.empty());
  EXPECT_EQ(fromPasswd.front(), '/');
  EXPECT_NE(fromPasswd.find("/.config/quillet-k3/settings"), std::string::npos);
}

TEST_F(SettingsFile, AChoiceSurvivesSavingAndLoadingAgain) {
  setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);  // folder not there yet
  EXPECT_FALSE(quillet::editor::loadUserSettings().uiScale.has_value());
  quillet::editor::UserSettings settings;
  settings.uiScale = 1.75f;
  ASSERT_TRUE(quillet::editor::saveUserSettings(settings));
  EXPECT_EQ(slurp(dir + "/config/quillet-k3/settings"),
            "# Quillet K3 panel settings\nui-scale = 1.75\n");
  EXPECT_EQ(quillet::editor::loadUserSettings().uiScale, 1.75f);
  settings.uiScale.reset();
  ASSERT_TRUE(quillet::editor::saveUserSettings(settings));
  EXPECT_FALSE(quillet::editor::loadUserSettings().uiScale.has_value());
  // Nothing but the file itself is left behind.
  EXPECT_EQ(listing(dir + "/config/quillet-k3"), "settings\n");
}

TEST_F(SettingsFile, WriteReplacesTheFileInsteadOfChangingIt) {
  const std::string path = dir + "/settings", old = dir + "/old";
  spit(path, "ui-scale = 2\n");
  ASSERT_EQ(link(path.c_str(), old.c_str()), 0);
  ASSERT_TRUE(quillet::platform::writeFileAtomically(path, "ui-scale = 3\n"));
  // A reader holding the old file still sees it whole: the new one was renamed in.
  EXPECT_EQ(slurp(old), "ui-scale = 2\n");
  EXPECT_EQ(slurp(path), "ui-scale = 3\n");
  EXPECT_EQ(listing(dir), "old\nsettings\n");
}

TEST_F(SettingsFile, FailedWriteLeavesEverythingAsItWas) {
  // The folder cannot exist: a file has its name.
  spit(dir + "/blocked", "not a folder");
  EXPECT_FALSE(quillet::platform::writeFileAtomically(dir + "/blocked/quillet-k3/settings", "x\n"));
  EXPECT_EQ(slurp(dir + "/blocked"), "not a folder");
  // The target is a folder: rename fails, the temporary file goes again.
  ASSERT_EQ(mkdir((dir + "/settings").c_str(), 0700), 0);
  EXPECT_FALSE(quillet::platform::writeFileAtomically(dir + "/settings", "x\n"));
  EXPECT_EQ(listing(dir), "blocked\nsettings\n");
  EXPECT_FALSE(quillet::platform::writeFileAtomically("", "x\n"));
}

TEST_F(SettingsFile, ReadsOnlySmallRegularFiles) {
  std::string text = "left over";
  EXPECT_FALSE(quillet::platform::readSmallFile(dir + "/missing", 4096, &text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(quillet::platform::readSmallFile(dir, 4096, &text));  // a folder
  // A pipe in the file's place neither blocks nor counts.
  ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
  EXPECT_FALSE(quillet::platform::readSmallFile(dir + "/pipe", 4096, &text));
  ASSERT_EQ(symlink("/dev/zero", (dir + "/zero").c_str()), 0);
  EXPECT_FALSE(quillet::platform::readSmallFile(dir + "/zero", 4096, &text));
  spit(dir + "/empty", "");
  EXPECT_TRUE(quillet::platform::readSmallFile(dir + "/empty", 4096, &text));
  EXPECT_EQ(text, "");
  spit(dir + "/exact", std::string(4096, 'a'));
  EXPECT_TRUE(quillet::platform::readSmallFile(dir + "/exact", 4096, &text));
  EXPECT_EQ(text.size(), 4096u);
  spit(dir + "/long", std::string(4097, 'a'));
  EXPECT_FALSE(quillet::platform::readSmallFile(dir + "/long", 4096, &text));
  EXPECT_EQ(text, "");
  if (geteuid() != 0) {  // the superuser reads anything
    spit(dir + "/locked", "ui-scale = 2\n");
    chmod((dir + "/locked").c_str(), 0);
    EXPECT_FALSE(quillet::platform::readSmallFile(dir + "/locked", 4096, &text));
  }
}

TEST_F(SettingsFile, DamagedFilesGiveTheDefaults) {
  const std::string path = dir + "/settings";
  const std::string damaged[] = {
      "ui-scale = 2",                                    // the write cut short
      std::string(3, '\0') + "ui-scale = 2\n",           // zeros where the disk lost data
      "ui-scale = 2\n" + std::string(5000, 'x') + "\n",  // grown past any settings file
      "\x89PNG\r\n\x1a\n",                               // something else entirely
  };
  for (const std::string& text : damaged) {
    spit(path, text);
    EXPECT_FALSE(quillet::editor::loadUserSettingsFrom(path).uiScale.has_value());
  }
  ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
  EXPECT_FALSE(quillet::editor::loadUserSettingsFrom(dir + "/pipe").uiScale.has_value());
  EXPECT_FALSE(quillet::editor::loadUserSettingsFrom("").uiScale.has_value());
}

}  // namespace
