// The frame on its own: drawing order, hit testing and dirty tracking with
// plain test pictures and no owner behind it.
#include <gtest/gtest.h>

#include <vector>

#include "gui/cbitmap.h"
#include "gui/cbuttons.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "platform/headless_window.h"

extern "C" int stbi_write_png_to_func_for_tests(void (*)(void*, void*, int), void*, int, int, int,
                                                const void*, int);

using namespace VSTGUI;

namespace {

// A solid two-frame strip: frame 0 `off`, frame 1 `on` (RGBA bytes).
CBitmap* strip(int w, int h, std::vector<unsigned char> off, std::vector<unsigned char> on) {
  std::vector<unsigned char> pixels;
  for (int frame = 0; frame < 2; ++frame)
    for (int i = 0; i < w * h; ++i) {
      const auto& c = frame ? on : off;
      pixels.insert(pixels.end(), c.begin(), c.end());
    }
  std::vector<unsigned char> png;
  stbi_write_png_to_func_for_tests(
      [](void* context, void* data, int size) {
        auto* bytes = static_cast<std::vector<unsigned char>*>(context);
        bytes->insert(bytes->end(), static_cast<unsigned char*>(data),
                      static_cast<unsigned char*>(data) + size);
      },
      &png, w, h * 2, 4, pixels.data(), w * 4);
  return new CBitmap(png.data(), png.size());
}

struct Listener : CControlListener {
  std::vector<int32_t> tags;
  void valueChanged(CDrawContext*, CControl* control) override {
    tags.push_back(control->getTag());
  }
};

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    quillet::platform::setPlatformWindowFactory(&quillet::platform::HeadlessWindow::create);
    frame = new CFrame(CRect(0, 0, 40, 20), &parent, nullptr);
    window = quillet::platform::HeadlessWindow::latest();
    CBitmap* red = strip(20, 20, {255, 0, 0, 255}, {128, 0, 0, 255});
    CBitmap* green = strip(20, 20, {0, 255, 0, 255}, {0, 128, 0, 255});
    lower = new COnOffButton(CRect(0, 0, 20, 20), &listener, 1, red);
    upper = new COnOffButton(CRect(10, 0, 30, 20), &listener, 2, green);
    frame->addView(lower);
    frame->addView(upper);
    red->forget();
    green->forget();
    frame->handleEvents();  // first paint
  }
  void TearDown() override {
    delete frame;
    quillet::platform::setPlatformWindowFactory(nullptr);
  }
  uint32_t shown(int x, int y) { return window->pixel(x, y) & 0x00ffffffu; }

  int parent = 0;
  Listener listener;
  CFrame* frame = nullptr;
  quillet::platform::HeadlessWindow* window = nullptr;
  COnOffButton* lower = nullptr;
  COnOffButton* upper = nullptr;
};

TEST_F(Frame, LaterViewIsDrawnOnTopAndGetsThePress) {
  EXPECT_EQ(shown(5, 5), 0xff0000u);
  EXPECT_EQ(shown(15, 5), 0x00ff00u);  // overlap: the later one
  frame->mouseDown(CPoint(15, 5), kLButton);
  EXPECT_EQ(listener.tags, std::vector<int32_t>{2});
  EXPECT_EQ(upper->getValue(), 1.0f);
  EXPECT_EQ(lower->getValue(), 0.0f);
  frame->idle();
  EXPECT_EQ(shown(15, 5), 0x008000u);
  // A press outside every view reaches none.
  frame->mouseDown(CPoint(35, 5), kLButton);
  EXPECT_EQ(listener.tags.size(), 1u);
}

TEST_F(Frame, RedrawsOnlyDirtyViewsWithWhatOverlapsThem) {
  window->clearPresented();
  lower->setValue(1.0f);
  frame->idle();
  ASSERT_EQ(window->presentedAreas().size(), 1u);
  EXPECT_EQ(window->presentedAreas()[0], quillet::platform::Rect(0, 0, 20, 20));
  EXPECT_EQ(shown(5, 5), 0x800000u);
  EXPECT_EQ(shown(15, 5), 0x00ff00u);  // the upper one repainted over it
  EXPECT_FALSE(lower->isDirty());
  EXPECT_FALSE(upper->isDirty());
  window->clearPresented();
  frame->idle();
  EXPECT_TRUE(window->presentedAreas().empty());
}

TEST_F(Frame, SetDirtyForcesARedrawOfTheSameValue) {
  window->clearPresented();
  upper->setDirty();
  EXPECT_TRUE(upper->isDirty());
  frame->idle();
  EXPECT_EQ(window->presentedAreas().size(), 1u);
  EXPECT_FALSE(upper->isDirty());
}

TEST_F(Frame, NoParentMeansNoWindowAndNothingBreaks) {
  CFrame orphan(CRect(0, 0, 10, 10), nullptr, nullptr);
  EXPECT_FALSE(orphan.hasWindow());
  orphan.handleEvents();
  orphan.idle();
  orphan.mouseDown(CPoint(1, 1), kLButton);
  EXPECT_FALSE(orphan.processOnePaint());
}

}  // namespace

namespace {

TEST_F(Frame, OverlappingDirtyViewsAreBothRedrawnWhole) {
  // Both change; repainting the lower one draws the overlapping part of the
  // upper one, which must not keep the rest of it from being redrawn.
  lower->setValue(1.0f);
  upper->setValue(1.0f);
  frame->idle();
  EXPECT_EQ(shown(5, 5), 0x800000u);
  EXPECT_EQ(shown(15, 5), 0x008000u);
  EXPECT_EQ(shown(25, 5), 0x008000u);
}

}  // namespace
