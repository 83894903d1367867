#include "doc/manual/manual_output.h"

#include <cstdio>
#include <cstdlib>

#include "core/param_text.h"

namespace quillet::manual {

void Output::write(const std::string& name, const std::string& text) const {
  const std::string path = folder + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (!file || std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "quillet_manual_numbers: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string fixed(double x, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, x);
  // A value that rounds to zero is shown without a sign.
  const std::string shown = text;
  if (shown[0] == '-' && shown.find_first_not_of("-0.") == std::string::npos)
    return shown.substr(1);
  return shown;
}

std::string valueText(int32_t index, float value, float range, float rate) {
  char text[quillet::core::kMaxParamTextLength + 1];
  const quillet::core::ParamTextContext context{range, rate};
  if (!quillet::core::formatParamText(index, value, context, text, sizeof text)) {
    std::fprintf(stderr, "quillet_manual_numbers: no text for parameter %d at %g\n",
                 static_cast<int>(index), static_cast<double>(value));
    std::exit(1);
  }
  return text;
}

}  // namespace quillet::manual
