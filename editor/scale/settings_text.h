// The panel's per-user settings as text: a few "key = value" lines.
//
//   # Quillet K3 panel settings
//   ui-scale = 1.5
//
// Reading never fails: whatever cannot be read as a setting (a damaged,
// truncated or foreign file, NUL bytes, absurd or non-numeric values) leaves
// that setting at its default.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillet::editor {

struct UserSettings {
  // The panel size the user picked, 1..3; none to follow the host and the
  // desktop ("ui-scale = auto").
  std::optional<float> uiScale;
};

// A settings file is a few dozen bytes; a longer one is not ours.
constexpr size_t kMaxSettingsBytes = 4096;

// Later lines override earlier ones; unknown keys are skipped; a last line
// without its line end (a write cut short) is ignored.
UserSettings parseSettings(std::string_view text);
std::string formatSettings(const UserSettings& settings);

}  // namespace quillet::editor
