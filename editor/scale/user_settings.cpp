#include "editor/scale/user_settings.h"

#include "platform/settings_file.h"

namespace quillet {

UserSettings loadUserSettingsFrom(const std::string& path) {
  std::string text;
  if (path.empty() || !platform::readSmallFile(path, kMaxSettingsBytes, &text))
    return UserSettings();
  return parseSettings(text);
}

bool saveUserSettingsTo(const std::string& path, const UserSettings& settings) {
  return !path.empty() && platform::writeFileAtomically(path, formatSettings(settings));
}

UserSettings loadUserSettings() { return loadUserSettingsFrom(platform::userSettingsPath()); }

bool saveUserSettings(const UserSettings& settings) {
  return saveUserSettingsTo(platform::userSettingsPath(), settings);
}

}  // namespace quillet
