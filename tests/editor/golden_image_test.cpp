// The whole panel as the window shows it, at a few parameter states, against
// committed reference images, pixel for pixel. After a deliberate change to
// the artwork, regenerate them with QUILLET_UPDATE_GOLDEN=1.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/factory_presets.h"
#include "panel_fixture.h"

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y,
                                     int* channels_in_file, int desired_channels);
void stbi_image_free(void* retval_from_stbi_load);
int stbi_write_png_to_func_for_tests(void (*)(void*, void*, int), void*, int, int, int, const void*,
                                     int);
}

using namespace quillet::test;

namespace {

std::vector<unsigned char> readFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
      bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
  }
  return bytes;
}

class GoldenImage : public PanelTest {
 protected:
  // What the window shows, as RGB bytes.
  std::vector<unsigned char> screenRGB() {
    std::vector<unsigned char> rgb;
    for (uint32_t p : window()->screen()) {
      rgb.push_back((p >> 16) & 0xff);
      rgb.push_back((p >> 8) & 0xff);
      rgb.push_back(p & 0xff);
    }
    return rgb;
  }

  void compareWith(const std::string& name) {
    const std::string path = std::string(GOLDEN_DIR) + "/" + name + ".png";
    const std::vector<unsigned char> shown = screenRGB();
    if (const char* update = std::getenv("QUILLET_UPDATE_GOLDEN"); update && *update == '1') {
      std::vector<unsigned char> png;
      stbi_write_png_to_func_for_tests(
          [](void* context, void* data, int size) {
            auto* bytes = static_cast<std::vector<unsigned char>*>(context);
            bytes->insert(bytes->end(), static_cast<unsigned char*>(data),
                          static_cast<unsigned char*>(data) + size);
          },
          &png, 586, 385, 3, shown.data(), 586 * 3);
      FILE* file = std::fopen(path.c_str(), "wb");
      ASSERT_NE(file, nullptr) << path;
      std::fwrite(png.data(), 1, png.size(), file);
      std::fclose(file);
      return;
    }
    const std::vector<unsigned char> bytes = readFile(path);
    ASSERT_FALSE(bytes.empty()) << "missing reference image " << path;
    int w = 0, h = 0, channels = 0;
    unsigned char* reference =
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 3);
    ASSERT_NE(reference, nullptr);
    ASSERT_EQ(w, 586);
    ASSERT_EQ(h, 385);
    int differing = 0, firstX = -1, firstY = -1;
    for (int i = 0; i < w * h; ++i) {
      if (std::memcmp(reference + i * 3, shown.data() + i * 3, 3) != 0) {
        if (differing++ == 0) {
          firstX = i % w;
          firstY = i / w;
        }
      }
    }
    stbi_image_free(reference);
    EXPECT_EQ(differing, 0) << name << ": first difference at " << firstX << "," << firstY;
  }
};

TEST_F(GoldenImage, DefaultSettings) {
  open();
  compareWith("panel_default");
}

TEST_F(GoldenImage, EveryControlMoved) {
  const float values[] = {0.5f, 0.7f, 0.35f, 1.0f, 1.0f, 0.2f, 0.9f, 0.5f, 1.0f, 0.0f, 0.5f};
  for (VstInt32 i = 0; i < 11; ++i) setParameter(i, values[i]);
  open();
  compareWith("panel_moved");
}

TEST_F(GoldenImage, ChangesAfterOpeningAreRedrawnInPlace) {
  open();
  // Host automation, then a note key pressed by the user; the result must be
  // the same picture as opening with those values.
  const float values[] = {0.5f, 0.7f, 0.35f, 1.0f, 1.0f, 0.2f, 0.9f, 0.5f, 1.0f, 0.0f, 0.5f};
  for (VstInt32 i = 0; i < 11; ++i) setParameter(i, values[i]);
  idle();
  compareWith("panel_moved");
  click(495 + 15, 237);  // thirty-second note at 120 bpm: Delay 0.25, Range 0
  idle();
  compareWith("panel_after_note");
}

TEST_F(GoldenImage, TheMenuWithItsMarksAndTheKeyboardsChoice) {
  // "Quarter Note Echo" held: its row marked, and "Automatic" among the sizes.
  for (VstInt32 i = 0; i < 11; ++i) setParameter(i, quillet::core::kFactoryPresets[3].values[i]);
  open();
  const std::vector<unsigned char> panelAlone = screenRGB();
  click(20, 200, VSTGUI::kRButton);
  idle();
  compareWith("menu_presets");
  // Closed again, the panel is as before, to the pixel.
  ASSERT_TRUE(keyDown(VKEY_ESCAPE));
  idle();
  EXPECT_EQ(screenRGB(), panelAlone);
  // From the keyboard, the held preset lit as the choice, then two rows down.
  ASSERT_TRUE(keyDown(VKEY_F10, MODIFIER_SHIFT));
  ASSERT_TRUE(keyDown(VKEY_DOWN));
  ASSERT_TRUE(keyDown(VKEY_DOWN));
  idle();
  compareWith("menu_keyboard");
}

}  // namespace
