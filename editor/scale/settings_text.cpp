#include "editor/scale/settings_text.h"

#include <cmath>
#include <cstdio>

#include "editor/scale/scale_steps.h"

namespace quillet::editor {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Printable ASCII and tabs only: a line with a NUL, another control byte or
// anything beyond ASCII was not written by us.
bool plainLine(std::string_view line) {
  for (char c : line) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && u != '\t') || u >= 0x7f) return false;
  }
  return true;
}

void applyLine(std::string_view line, UserSettings* settings) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (!plainLine(line)) return;
  line = trim(line);
  if (line.empty() || line.front() == '#') return;
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = trim(line.substr(0, equals));
  const std::string_view value = trim(line.substr(equals + 1));
  if (key == "ui-scale") {
    if (value == "auto") {
      settings->uiScale.reset();
    } else if (const std::optional<float> factor = parseScaleFactor(value)) {
      settings->uiScale = factor;
    }
  }
}

}  // namespace

UserSettings parseSettings(std::string_view text) {
  UserSettings settings;
  if (text.size() > kMaxSettingsBytes) return settings;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string_view::npos;
       start = end + 1, end = text.find('\n', start))
    applyLine(text.substr(start, end - start), &settings);
  return settings;
}

std::string formatSettings(const UserSettings& settings) {
  std::string text = "# Quillet K3 panel settings\n";
  const std::optional<float>& scale = settings.uiScale;
  if (scale && *scale >= kSmallestScale && *scale <= kLargestScale) {
    // Hundredths as whole numbers: no locale's decimal comma can creep in.
    const long hundredths = std::lround(*scale * 100.0);
    char number[48];
    std::snprintf(number, sizeof number, "%ld.%02ld", hundredths / 100, hundredths % 100);
    text += "ui-scale = ";
    text += number;
    text += "\n";
  } else {
    text += "ui-scale = auto\n";
  }
  return text;
}

}  // namespace quillet::editor
