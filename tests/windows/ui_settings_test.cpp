// The panel's settings file and the window's scale factor on Windows: the
// folder under %APPDATA% (also with letters beyond ASCII in its name),
// replacing the file atomically, reading whatever is found there, and
// GetDpiForWindow where Windows has it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "editor/scale/user_settings.h"
#include "platform/desktop_scale.h"
#include "platform/settings_file.h"

namespace {

std::string utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n) - 1);
  return out;
}

void spit(const std::wstring& path, const std::string& text) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

// A scratch %APPDATA% whose name has a letter beyond ASCII; the real one is
// put back afterwards.
class WindowsSettings : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    appData = std::wstring(temp) + L"quillet-zo\u00eb-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(appData.c_str(), nullptr));
    if (const wchar_t* old = _wgetenv(L"APPDATA")) saved = old;
    _wputenv_s(L"APPDATA", appData.c_str());
  }
  void TearDown() override {
    _wputenv_s(L"APPDATA", saved.c_str());
    std::wstring command = L"cmd /c rmdir /s /q \"" + appData + L"\"";
    _wsystem(command.c_str());
  }
  std::wstring appData, saved;
};

TEST_F(WindowsSettings, PathIsUnderAppData) {
  EXPECT_EQ(quillet::platform::userSettingsPath(), utf8(appData) + "\\Quillet K3\\settings");
  _wputenv_s(L"APPDATA", L"");
  EXPECT_EQ(quillet::platform::userSettingsPath(), "");
}

TEST_F(WindowsSettings, AChoiceSurvivesSavingAndLoadingAgain) {
  EXPECT_FALSE(quillet::editor::loadUserSettings().uiScale.has_value());
  quillet::editor::UserSettings settings;
  settings.uiScale = 2.0f;
  ASSERT_TRUE(quillet::editor::saveUserSettings(settings));  // creates "Quillet K3"
  EXPECT_EQ(quillet::editor::loadUserSettings().uiScale, 2.0f);
  settings.uiScale = 1.25f;
  ASSERT_TRUE(quillet::editor::saveUserSettings(settings));  // replaces the file
  EXPECT_EQ(quillet::editor::loadUserSettings().uiScale, 1.25f);
  // Only the file is left in the folder.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((appData + L"\\Quillet K3\\*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  int entries = 0;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") {
      ++entries;
      EXPECT_EQ(name, L"settings");
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_EQ(entries, 1);
}

TEST_F(WindowsSettings, DamagedOrForeignFilesGiveTheDefaults) {
  const std::string path = utf8(appData) + "\\settings";
  const std::wstring wide = appData + L"\\settings";
  spit(wide, "ui-scale = 2\r\n");
  EXPECT_EQ(quillet::editor::loadUserSettingsFrom(path).uiScale, 2.0f);
  spit(wide, std::string("ui-scale = 2\0\r\n", 15));
  EXPECT_FALSE(quillet::editor::loadUserSettingsFrom(path).uiScale.has_value());
  spit(wide, "ui-scale = 2\r\n" + std::string(5000, ' ') + "\r\n");
  EXPECT_FALSE(quillet::editor::loadUserSettingsFrom(path).uiScale.has_value());
  std::string text;
  EXPECT_FALSE(quillet::platform::readSmallFile(utf8(appData), 4096, &text));  // a folder
  EXPECT_FALSE(quillet::platform::readSmallFile(path + "-missing", 4096, &text));
  // A folder where the file should go: the write fails and leaves it.
  CreateDirectoryW((appData + L"\\taken").c_str(), nullptr);
  EXPECT_FALSE(quillet::platform::writeFileAtomically(utf8(appData) + "\\taken", "x\r\n"));
  EXPECT_NE(GetFileAttributesW((appData + L"\\taken").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(WindowsDesktopScale, WindowDpiOrOne) {
  EXPECT_EQ(quillet::platform::win32WindowScale(nullptr), 1.0f);
  HWND window = CreateWindowExW(0, L"STATIC", L"dpi", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  // The process is not DPI-aware, so Windows reports 96 for its windows (and
  // stretches them itself): the panel stays at 1.
  const float scale = quillet::platform::win32WindowScale(window);
  DestroyWindow(window);
  EXPECT_EQ(scale, 1.0f);
}

}  // namespace
