// The per-user settings file of the panel: where it lives, reading it
// defensively and replacing it atomically. The panel's code path only; the
// audio path never touches a file.
#pragma once

#include <cstddef>
#include <string>

namespace quillet::platform {

// Linux: $XDG_CONFIG_HOME/quillet-k3/settings when XDG_CONFIG_HOME is an
// absolute path, else ~/.config/quillet-k3/settings (the home folder from
// $HOME, else from the password database). Windows: %APPDATA%\Quillet K3\settings.
// UTF-8; empty when there is no such folder to be found.
std::string userSettingsPath();

// Another file of ours in the same folder (`name` such as "standalone"); empty
// when there is no such folder to be found.
std::string userConfigPath(const std::string& name);

// Reads a whole regular file of at most `maxBytes` bytes. False, with `text`
// empty, when it is missing, unreadable, not a regular file (a folder, a
// pipe, a device) or longer: such a file is not read at all.
bool readSmallFile(const std::string& path, size_t maxBytes, std::string* text);

// Replaces the file with `text`: written to a new file in the same folder,
// flushed to disk, then renamed over the old one, so a reader sees the old
// file or the new one and never a part. Missing folders are created. False
// on any failure, which leaves the old file as it was.
bool writeFileAtomically(const std::string& path, const std::string& text);

}  // namespace quillet::platform
