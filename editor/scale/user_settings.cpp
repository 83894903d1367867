#include "editor/scale/user_settings.h"

#include "platform/settings_file.h"

namespace quillet::editor {

UserSettings loadUserSettingsFrom(const std::string& path) {
  std::string text;
  if (path.empty() || !quillet::platform::readSmallFile(path, kMaxSettingsBytes, &text))
    return UserSettings();
  return parseSettings(text);
}

bool saveUserSettingsTo(const std::string& path, const UserSettings& settings) {
  return !path.empty() && quillet::platform::writeFileAtomically(path, formatSettings(settings));
}

UserSettings loadUserSettings() {
  return loadUserSettingsFrom(quillet::platform::userSettingsPath());
}

bool saveUserSettings(const UserSettings& settings) {
  return saveUserSettingsTo(quillet::platform::userSettingsPath(), settings);
}

}  // namespace quillet::editor
