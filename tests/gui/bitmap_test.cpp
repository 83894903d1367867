// Pictures: decoding, premultiplication, the stored resources, drawing.
#include <gtest/gtest.h>

#include <vector>

#include "gui/cbitmap.h"
#include "gui/cdraw_context.h"
#include "platform/resources.h"

extern "C" int stbi_write_png_to_func_for_tests(void (*)(void*, void*, int), void*, int, int, int,
                                                const void*, int);

using VSTGUI::CBitmap;
using VSTGUI::COffscreenContext;
using VSTGUI::CPoint;
using VSTGUI::CRect;

namespace {

std::vector<unsigned char> encodePng(int w, int h, int channels,
                                     const std::vector<unsigned char>& pixels) {
  std::vector<unsigned char> out;
  stbi_write_png_to_func_for_tests(
      [](void* context, void* data, int size) {
        auto* bytes = static_cast<std::vector<unsigned char>*>(context);
        bytes->insert(bytes->end(), static_cast<unsigned char*>(data),
                      static_cast<unsigned char*>(data) + size);
      },
      &out, w, h, channels, pixels.data(), w * channels);
  return out;
}

uint32_t bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a) {
  return b | (g << 8) | (r << 16) | (a << 24);
}

TEST(Bitmap, HalfTransparentFullColourIsPremultipliedByShifting) {
  // Red 255 at alpha 128, green 100 at alpha 255, one transparent pixel.
  const auto png = encodePng(3, 1, 4, {255, 0, 0, 128, 0, 100, 0, 255, 9, 9, 9, 0});
  CBitmap bitmap(png.data(), png.size());
  ASSERT_TRUE(bitmap.isLoaded());
  EXPECT_FALSE(bitmap.hasNoAlpha());
  EXPECT_EQ(bitmap.pixelAt(0, 0), bgra(0, 0, 127, 128));
  EXPECT_EQ(bitmap.pixelAt(1, 0), bgra(0, 100, 0, 255));
  EXPECT_EQ(bitmap.pixelAt(2, 0), 0u);
}

TEST(Bitmap, ImageWithoutAlphaIsOpaqueAndRowsKeepTheirOrder) {
  const auto png = encodePng(1, 2, 3, {10, 20, 30, 40, 50, 60});
  CBitmap bitmap(png.data(), png.size());
  ASSERT_EQ(bitmap.getHeight(), 2);
  EXPECT_EQ(bitmap.pixelAt(0, 0), bgra(30, 20, 10, 255));
  EXPECT_EQ(bitmap.pixelAt(0, 1), bgra(60, 50, 40, 255));
}

TEST(Bitmap, MissingOrBrokenPictureIsEmptyAndDrawsNothing) {
  CBitmap missing(999);
  EXPECT_FALSE(missing.isLoaded());
  EXPECT_EQ(missing.getWidth(), 0);
  const unsigned char garbage[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
  CBitmap broken(garbage, sizeof garbage);
  EXPECT_FALSE(broken.isLoaded());
  CBitmap nothing(nullptr, 0);
  EXPECT_FALSE(nothing.isLoaded());
  COffscreenContext target(4, 4);
  const std::vector<uint32_t> before(target.getPixels(), target.getPixels() + 16);
  missing.draw(&target, CRect(0, 0, 4, 4));
  broken.draw(nullptr, CRect(0, 0, 4, 4));
  EXPECT_EQ(std::vector<uint32_t>(target.getPixels(), target.getPixels() + 16), before);
}

TEST(Bitmap, AllFifteenPicturesAreBuiltIn) {
  const struct {
    int id, w, h;
  } sizes[] = {{101, 586, 385}, {102, 100, 10000}, {103, 80, 240}, {104, 30, 60}, {105, 30, 60},
               {106, 30, 60},   {107, 30, 60},     {108, 30, 60},  {109, 30, 60}, {110, 150, 90},
               {111, 60, 80},   {112, 30, 3030},   {113, 30, 60},  {114, 28, 56}, {115, 120, 90}};
  for (const auto& s : sizes) {
    CBitmap bitmap(s.id);
    EXPECT_EQ(bitmap.getWidth(), s.w) << s.id;
    EXPECT_EQ(bitmap.getHeight(), s.h) << s.id;
  }
}

TEST(Bitmap, PaletteWithTransparentEntryDrawsThoseMaskedPixelsClear) {
  quillet::platform::ResourceData data;
  ASSERT_TRUE(quillet::platform::findResource("PNG", 104, &data));
  // An indexed-colour PNG with a tRNS chunk.
  ASSERT_GT(data.size, 33u);
  EXPECT_EQ(data.data[25], 3);  // colour type: palette
  CBitmap key(104);
  // The corner of the rounded key is the transparent entry.
  EXPECT_EQ(key.pixelAt(0, 0) >> 24, 0u);
  EXPECT_EQ(key.pixelAt(15, 15) >> 24, 255u);
  COffscreenContext target(30, 30);
  std::fill(target.getPixels(), target.getPixels() + 900, bgra(1, 2, 3, 255));
  key.draw(&target, CRect(0, 0, 30, 30));
  EXPECT_EQ(target.getPixels()[0], bgra(1, 2, 3, 255));
  EXPECT_EQ(target.getPixels()[15 * 30 + 15], key.pixelAt(15, 15));
  // The background has no transparency; the Mono Out key a full alpha channel.
  ASSERT_TRUE(quillet::platform::findResource("PNG", 101, &data));
  EXPECT_EQ(data.data[25], 2);
  ASSERT_TRUE(quillet::platform::findResource("PNG", 113, &data));
  EXPECT_EQ(data.data[25], 6);
  EXPECT_FALSE(quillet::platform::findResource("PNG", 116, &data));
  EXPECT_FALSE(quillet::platform::findResource("BMP", 101, &data));
}

// The size a panel takes before any picture is decoded: every stored
// picture's header gives the size its decoding does; no picture, no size.
TEST(Bitmap, ResourceSizeFromTheHeaderIsTheDecodedSize) {
  for (int32_t id = 101; id <= 115; ++id) {
    int32_t w = -1, h = -1;
    ASSERT_TRUE(CBitmap::resourceSize(id, &w, &h)) << id;
    CBitmap decoded(id);
    EXPECT_EQ(w, decoded.getWidth()) << id;
    EXPECT_EQ(h, decoded.getHeight()) << id;
    EXPECT_GT(w, 0);
  }
  int32_t w = -1, h = -1;
  EXPECT_FALSE(CBitmap::resourceSize(116, &w, &h));
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST(Bitmap, BlendsSourceOverAndSelectsFramesByOffset) {
  // Two frames, one above the other: opaque blue, then half-transparent white.
  const auto png = encodePng(1, 2, 4, {0, 0, 255, 255, 255, 255, 255, 128});
  CBitmap strip(png.data(), png.size());
  COffscreenContext target(1, 1);
  target.getPixels()[0] = bgra(0, 0, 0, 255);
  strip.draw(&target, CRect(0, 0, 1, 1), CPoint(0, 0));
  EXPECT_EQ(target.getPixels()[0], bgra(255, 0, 0, 255));
  target.getPixels()[0] = bgra(0, 0, 0, 255);
  strip.draw(&target, CRect(0, 0, 1, 1), CPoint(0, 1));
  EXPECT_EQ(target.getPixels()[0], bgra(127, 127, 127, 255));
  // Clipping keeps drawing inside the clip rectangle.
  COffscreenContext wide(2, 1);
  wide.setClipRect(CRect(1, 0, 2, 1));
  strip.draw(&wide, CRect(0, 0, 1, 1));
  EXPECT_EQ(wide.getPixels()[0], bgra(0, 0, 0, 255));
  strip.draw(&wide, CRect(1, 0, 2, 1));
  EXPECT_EQ(wide.getPixels()[1], bgra(255, 0, 0, 255));
}

TEST(ReferenceCounter, LastForgetDeletes) {
  auto* bitmap = new CBitmap(999);
  EXPECT_EQ(bitmap->getNbReference(), 1);
  bitmap->remember();
  bitmap->forget();
  EXPECT_EQ(bitmap->getNbReference(), 1);
  bitmap->forget();  // deleted; ASan or valgrind would see a leak otherwise
}

}  // namespace
