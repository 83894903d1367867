// The user's settings file, read and written as the panel needs it: a file
// that is missing, unreadable or damaged gives the defaults.
#pragma once

#include <string>

#include "editor/scale/settings_text.h"

namespace quillet::editor {

UserSettings loadUserSettings();
// False when the file could not be written; the old one then stays.
bool saveUserSettings(const UserSettings& settings);

// The same with the file named.
UserSettings loadUserSettingsFrom(const std::string& path);
bool saveUserSettingsTo(const std::string& path, const UserSettings& settings);

}  // namespace quillet::editor
