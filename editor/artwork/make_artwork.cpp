// Draws the fifteen pictures of the Quillet K3 panel and writes them as
// <id>.png into a folder; deterministic, so drawing again gives the same files.
//
//   quillet_artwork_generator editor/artwork/png            the pictures at scale 1
//   quillet_artwork_generator --scale 2 DIR                  the pictures at another scale
//   quillet_artwork_generator --glyph-table FILE             the lettering's glyph table,
//                                                            from Debian's fonts-dejavu-core
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "core/factory_presets.h"
#include "editor/artwork/font_import.h"
#include "editor/artwork/panel_menu_picture.h"
#include "editor/artwork/panel_pictures.h"
#include "editor/artwork/png_writer.h"
#include "editor/panel_layout.h"
#include "editor/scale/scale_steps.h"

using namespace quillet::artwork;

namespace {

const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

bool isNoteKey(int32_t id) {
  return id >= quillet::editor::kWholeNoteKey && id < quillet::editor::kWholeNoteKey + 6;
}

// The background is opaque and stored without alpha; the note keys with a
// palette and one transparent entry; the rest with an alpha channel.
bool save(const std::string& dir, int32_t id, float scale, const Lettering& lettering) {
  const std::string path = dir + "/" + std::to_string(id) + ".png";
  bool ok = false;
  if (isNoteKey(id)) {
    PictureSize size;
    pictureSize(id, scale, &size);
    Image whole(size.width, size.height());
    drawPicture(id, scale, lettering, [&](const Image& band) {
      for (int y = band.firstRow(); y < band.endRow(); ++y)
        for (int x = 0; x < band.width(); ++x) whole.at(x, y) = band.at(x, y);
    });
    ok = writeIndexed(path, whole, rgb(0.12f, 0.12f, 0.13f));
  } else {
    Pixels pixels;
    ok = drawPixels(id, scale, &pixels);
    ok = ok &&
         (id == quillet::editor::kBackground ? writeRGB(path, pixels) : writeRGBA(path, pixels));
  }
  if (!ok) std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return ok;
}

int writePictures(const std::string& dir, float scale) {
  const Lettering lettering = panelLettering();
  bool ok = true;
  for (int32_t id = quillet::editor::kFirstBitmap; id <= quillet::editor::kLastBitmap; ++id)
    ok &= save(dir, id, scale, lettering);
  if (lettering.bold.missedGlyph() || lettering.regular.missedGlyph() ||
      lettering.plate.missedGlyph()) {
    std::fprintf(stderr, "a character is missing from the glyph table: regenerate it\n");
    return 1;
  }
  return ok ? 0 : 1;
}

// Draws every picture with the whole printable range of each font, noting
// what the lettering asks for, and writes those glyphs out as C++.
int writeGlyphTable(const std::string& path) {
  const char* files[] = {"DejaVuSans-Bold.ttf", "DejaVuSans.ttf", "DejaVuSansCondensed-Bold.ttf"};
  ImportedFont fonts[3];
  for (int i = 0; i < 3; ++i)
    if (!fonts[i].load(std::string(kFontDir) + files[i])) {
      std::fprintf(stderr, "%s%s not found (Debian: fonts-dejavu-core)\n", kFontDir, files[i]);
      return 1;
    }
  UsedGlyphs used[3];
  const Lettering lettering{Font(fonts[0].table(), &used[0]), Font(fonts[1].table(), &used[1]),
                            Font(fonts[2].table(), &used[2])};
  for (int32_t id = quillet::editor::kFirstBitmap; id <= quillet::editor::kLastBitmap; ++id)
    drawPicture(id, 1.0f, lettering, [](const Image&) {});
  // The panel's menu, with every row it can show.
  MenuSection sizes{kScaleMenuTitle, {}, 0};
  for (float step : quillet::editor::kScaleSteps) {
    sizes.rows.push_back(percentText(step));
    sizes.rows.push_back(automaticText(step));
  }
  MenuSection presets{kPresetMenuTitle, {}, 0};
  for (const quillet::core::FactoryPreset& preset : quillet::core::kFactoryPresets)
    presets.rows.push_back(preset.name);
  // And a control's MIDI section, with every control's name and every
  // character a source's text holds.
  MenuSection midi{
      midiMenuTitle(kTapControlName, kMidiSourceCharacters), {kLearnMidiRow, kForgetMidiRow}, 0};
  drawMenu(1.0f, lettering, {sizes, presets, midi}, 0);
  for (const quillet::core::QuilletParamSpec& param : quillet::core::kQuilletParams) {
    midi.title = midiMenuTitle(param.name, kMidiSourceCharacters);
    drawMenu(1.0f, lettering, {midi}, 0);
  }
  const std::string source =
      glyphTableSource({{"DejaVuSansBold", files[0], &fonts[0].table(), &used[0]},
                        {"DejaVuSans", files[1], &fonts[1].table(), &used[1]},
                        {"DejaVuSansCondensedBold", files[2], &fonts[2].table(), &used[2]}});
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) {
    std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
  }
  const bool ok = std::fwrite(source.data(), 1, source.size(), out) == source.size();
  return std::fclose(out) == 0 && ok ? 0 : 1;
}

namespace cli = quillet::cli;

constexpr cli::OptionSpec kScale =
    cli::number("--scale", "FACTOR", "a scale factor", 1, 3, "the pictures at another scale")
        .byDefault(1);
constexpr cli::OptionSpec kGlyphTable =
    cli::text("--glyph-table", "FILE", "a file name",
              "write the lettering's glyph table instead, from Debian's\n"
              "fonts-dejavu-core");

const cli::CommandSpec kCommandLine = {"quillet_artwork_generator",
                                       nullptr,
                                       "",
                                       nullptr,
                                       {{nullptr,
                                         "[--scale FACTOR] OUTPUT_DIR | --glyph-table FILE",
                                         "Draws the panel's pictures as <id>.png into OUTPUT_DIR.",
                                         {0, 1, "", "one folder at a time"},
                                         {kScale, kGlyphTable}}}};

}  // namespace

int main(int argc, char** argv) {
  cli::CommandLine line;
  const int status =
      cli::readCommandLine(kCommandLine, std::vector<std::string>(argv + 1, argv + argc), &line);
  if (status != cli::kRunCommand) return status;
  const bool folderGiven = !line.positionals().empty();
  if (line.has(kGlyphTable)) {
    if (folderGiven || line.has(kScale))
      return cli::usageError(kCommandLine, "--glyph-table writes the glyph table alone");
    return writeGlyphTable(line.text(kGlyphTable));
  }
  if (!folderGiven) return cli::usageError(kCommandLine, "no output folder given");
  return writePictures(line.positionals()[0], static_cast<float>(line.number(kScale, 1.0)));
}
