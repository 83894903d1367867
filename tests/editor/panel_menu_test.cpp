// The panel's menu in the VST 2.4 edition, on the real effect: the factory
// presets it lists, each loaded through the host as eleven gestures (begin,
// value, end) the host records, the preset the effect holds marked, and the
// keyboard's way in (Shift+F10, the Menu key) and through it.
#include <cstring>

#include "core/factory_presets.h"
#include "core/state_codec.h"
#include "panel_fixture.h"

using namespace quillet::test;
using VSTGUI::kLButton;
using VSTGUI::kRButton;

namespace {

using PanelMenuTest = PanelTest;

constexpr int32_t kSizeRows = 8;  // seven sizes and "Automatic": the presets follow

std::vector<uint8_t> chunkOf(AEffect* e) {
  void* data = nullptr;
  const VstIntPtr size = e->dispatcher(e, effGetChunk, 1, 0, &data, 0.0f);
  const auto* bytes = static_cast<const uint8_t*>(data);
  return size > 0 && bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
}

std::vector<uint8_t> stateOf(const quillet::core::FactoryPreset& preset) {
  std::vector<uint8_t> bytes(quillet::core::kStateBytes);
  quillet::core::encodeState(preset.values, bytes.data());
  return bytes;
}

TEST_F(PanelMenuTest, EachPresetLoadsThroughTheHostAsElevenGestures) {
  open();
  for (int32_t p = 0; p < quillet::core::kNumFactoryPresets; ++p) {
    click(20, 200, kRButton);
    quillet::editor::PanelMenu* menu = gui()->getPanel().getMenu();
    ASSERT_TRUE(menu && menu->isShown());
    const VSTGUI::CRect row = menu->rowRect(kSizeRows + p);
    ASSERT_FALSE(row.isEmpty());
    Host::get().requests.clear();
    click(row.left + 5, row.top + 5, kLButton);
    EXPECT_FALSE(menu->isShown());
    const quillet::core::FactoryPreset& preset = quillet::core::kFactoryPresets[p];
    // Begin, the value, end: parameter by parameter, in table order.
    const std::vector<Request> edits = Host::get().edits();
    ASSERT_EQ(edits.size(), 3u * quillet::core::kNumQuilletParams) << preset.name;
    for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i) {
      EXPECT_TRUE(sameRequest(edits[3 * i], audioMasterBeginEdit, i)) << i;
      EXPECT_TRUE(sameRequest(edits[3 * i + 1], audioMasterAutomate, i)) << i;
      EXPECT_EQ(edits[3 * i + 1].opt, preset.values[i]) << i;
      EXPECT_TRUE(sameRequest(edits[3 * i + 2], audioMasterEndEdit, i)) << i;
    }
    // The effect holds exactly the preset's state, as its .fxp gives it.
    EXPECT_EQ(chunkOf(record()), stateOf(preset)) << preset.name;
    idle();
    for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i)
      EXPECT_EQ(value(i), preset.values[i]) << "the controls show it: " << i;
    EXPECT_EQ(gui()->getPanel().markedPresetMenuRow(), p);
  }
  // A value moved off the preset: no preset is marked any more.
  setParameter(quillet::engine::kParamRepeat, 0.9f);
  EXPECT_EQ(gui()->getPanel().markedPresetMenuRow(), -1);
  // A switch in the preset's position counts as the preset: 0.9 is "on".
  gui()->getPanel().loadFactoryPreset(0);
  setParameter(quillet::engine::kParamKnobDust, 0.9f);
  EXPECT_EQ(gui()->getPanel().markedPresetMenuRow(), 0);
  EXPECT_FALSE(gui()->getPanel().loadFactoryPreset(quillet::core::kNumFactoryPresets));
  EXPECT_FALSE(gui()->getPanel().loadFactoryPreset(-1));
}

TEST_F(PanelMenuTest, TheMenuListsThePresetsBesideThePanelSizes) {
  open();
  quillet::editor::QuilletPanel& panel = gui()->getPanel();
  ASSERT_EQ(panel.presetMenuRows().size(), static_cast<size_t>(quillet::core::kNumFactoryPresets));
  for (int32_t p = 0; p < quillet::core::kNumFactoryPresets; ++p)
    EXPECT_EQ(panel.presetMenuRows()[p], quillet::core::kFactoryPresets[p].name);
  click(20, 200, kRButton);
  quillet::editor::PanelMenu* menu = panel.getMenu();
  ASSERT_TRUE(menu && menu->isShown());
  // Two columns: the sizes, then the presets, every row inside the menu.
  const VSTGUI::CRect sizes = menu->rowRect(0), presets = menu->rowRect(kSizeRows);
  EXPECT_EQ(sizes.top, presets.top);
  EXPECT_GT(presets.left, sizes.right);
  for (int32_t row = 0; row < kSizeRows + quillet::core::kNumFactoryPresets; ++row) {
    const VSTGUI::CRect r = menu->rowRect(row);
    EXPECT_GE(r.left, menu->box().left);
    EXPECT_LE(r.right, menu->box().right);
    EXPECT_LE(r.bottom, menu->box().bottom);
    int32_t section = -1, sectionRow = -1;
    ASSERT_TRUE(menu->sectionRowOf(row, &section, &sectionRow));
    EXPECT_EQ(section, row < kSizeRows ? 0 : 1);
    EXPECT_EQ(menu->rowAt(VSTGUI::CPoint(r.left + 2, r.top + 2)), row);
  }
  EXPECT_TRUE(menu->rowRect(kSizeRows + quillet::core::kNumFactoryPresets).isEmpty());
  // A press on a title leaves it open; a right press anywhere closes it and
  // changes nothing.
  Host::get().requests.clear();
  click(presets.left + 5, menu->box().top + 4, kLButton);
  EXPECT_TRUE(menu->isShown());
  click(presets.left + 5, presets.top + 5, kRButton);
  EXPECT_FALSE(menu->isShown());
  EXPECT_TRUE(Host::get().edits().empty());
}

TEST_F(PanelMenuTest, ShiftF10OrTheMenuKeyOpensItAndTheArrowsPickAPreset) {
  open();
  quillet::editor::QuilletPanel& panel = gui()->getPanel();
  EXPECT_FALSE(keyDown(VKEY_F10));  // F10 alone is the host's
  EXPECT_EQ(panel.getMenu(), nullptr);
  ASSERT_TRUE(keyDown(VKEY_F10, MODIFIER_SHIFT));
  quillet::editor::PanelMenu* menu = panel.getMenu();
  ASSERT_TRUE(menu && menu->isShown());
  // No preset held: the choice starts on the first one.
  EXPECT_EQ(menu->highlightedRow(), kSizeRows);
  EXPECT_TRUE(keyDown(VKEY_DOWN));
  EXPECT_TRUE(keyDown(VKEY_DOWN));
  EXPECT_EQ(menu->highlightedRow(), kSizeRows + 2);
  EXPECT_TRUE(keyDown(VKEY_UP));
  EXPECT_TRUE(keyDown(VKEY_UP));
  EXPECT_TRUE(keyDown(VKEY_UP));  // round to the last
  EXPECT_EQ(menu->highlightedRow(), kSizeRows + quillet::core::kNumFactoryPresets - 1);
  // Left to the sizes and back, the row kept where it can be.
  EXPECT_TRUE(keyDown(VKEY_LEFT));
  EXPECT_EQ(menu->highlightedRow(), kSizeRows - 1);
  EXPECT_TRUE(keyDown(VKEY_RIGHT));
  EXPECT_EQ(menu->highlightedRow(), kSizeRows + kSizeRows - 1);
  EXPECT_TRUE(keyDown(VKEY_UP));  // "Tape Loop on the Edge"
  Host::get().requests.clear();
  EXPECT_TRUE(keyDown(VKEY_RETURN));
  EXPECT_FALSE(menu->isShown());
  EXPECT_EQ(chunkOf(record()), stateOf(quillet::core::kFactoryPresets[6]));
  EXPECT_EQ(Host::get().edits().size(), 3u * quillet::core::kNumQuilletParams);
  // Opened again from the Menu key (VST3's and Windows' code), the choice
  // starts on the preset held; Escape closes it and nothing changes.
  ASSERT_TRUE(keyDown(VSTGUI::VKEY_CONTEXTMENU));
  EXPECT_TRUE(menu->isShown());
  EXPECT_EQ(menu->highlightedRow(), kSizeRows + 6);
  Host::get().requests.clear();
  EXPECT_TRUE(keyDown(VKEY_ESCAPE));
  EXPECT_FALSE(menu->isShown());
  EXPECT_TRUE(Host::get().edits().empty());
  // With a knob focused, the menu opens under it.
  const VSTGUI::CRect delay = control(quillet::engine::kParamDelay)->getViewSize();
  click(delay.left + 50, delay.top + 50, kLButton);
  ASSERT_TRUE(keyDown(VKEY_F10, MODIFIER_SHIFT));
  EXPECT_EQ(menu->box().left, delay.left);
  EXPECT_EQ(menu->box().top, delay.bottom);
}

}  // namespace
