// X keys in the panel's form, as the LV2 UI hands them to the focused knob.
#include "editor/x11_key_reader.h"

#include <gtest/gtest.h>

// After the test framework: X.h defines None, a name the framework uses.
#include <X11/X.h>
#include <X11/keysym.h>

namespace {

using quillet::editor::keyCodeFromX11;

TEST(X11Keys, ArrowsTabAndKeypadBecomeVirtualKeys) {
  EXPECT_EQ(quillet::editor::keyCodeFromX11(XK_Up, 0).virt, VSTGUI::VKEY_UP);
  EXPECT_EQ(quillet::editor::keyCodeFromX11(XK_KP_Up, 0).virt, VSTGUI::VKEY_UP);
  EXPECT_EQ(quillet::editor::keyCodeFromX11(XK_Down, 0).virt, VSTGUI::VKEY_DOWN);
  EXPECT_EQ(quillet::editor::keyCodeFromX11(XK_KP_Left, 0).virt, VSTGUI::VKEY_LEFT);
  EXPECT_EQ(quillet::editor::keyCodeFromX11(XK_Right, 0).virt, VSTGUI::VKEY_RIGHT);
  // Shift+Tab arrives as ISO_Left_Tab: still Tab, with Shift.
  const VSTGUI::CKeyCode back = quillet::editor::keyCodeFromX11(XK_ISO_Left_Tab, ShiftMask);
  EXPECT_EQ(back.virt, VSTGUI::VKEY_TAB);
  EXPECT_EQ(back.modifier, VSTGUI::MODIFIER_SHIFT);
  EXPECT_EQ(back.character, 0);
}

TEST(X11Keys, PrintableKeysCarryTheirCharacterAndModifiersTheirBits) {
  const VSTGUI::CKeyCode a = quillet::editor::keyCodeFromX11(XK_a, ControlMask | Mod1Mask);
  EXPECT_EQ(a.virt, 0);
  EXPECT_EQ(a.character, 'a');
  EXPECT_EQ(a.modifier, VSTGUI::MODIFIER_CONTROL | VSTGUI::MODIFIER_ALTERNATE);
  EXPECT_EQ(quillet::editor::keyCodeFromX11(XK_space, 0).virt, VSTGUI::VKEY_SPACE);
  // Neither a virtual key nor a character: nothing a control reacts to.
  const VSTGUI::CKeyCode f1 = quillet::editor::keyCodeFromX11(XK_F1, Mod2Mask);
  EXPECT_EQ(f1.virt, 0);
  EXPECT_EQ(f1.character, 0);
  EXPECT_EQ(f1.modifier, 0);
}

TEST(X11Keys, ShiftF10AndTheMenuKeyReachThePanelAsItsMenuKey) {
  const VSTGUI::CKeyCode shiftF10 = quillet::editor::keyCodeFromX11(XK_F10, ShiftMask);
  EXPECT_EQ(shiftF10.virt, VSTGUI::VKEY_F10);
  EXPECT_EQ(shiftF10.modifier, VSTGUI::MODIFIER_SHIFT);
  EXPECT_EQ(quillet::editor::keyCodeFromX11(XK_Menu, 0).virt, VSTGUI::VKEY_CONTEXTMENU);
}

}  // namespace
