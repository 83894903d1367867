// How the panel's controls feel: drags, Ctrl-clicks, wheel, arrow keys, focus,
// and what the host hears about each gesture.
#include "panel_fixture.h"

using namespace quillet::test;
using quillet::platform::MouseState;
using VSTGUI::kAlt;
using VSTGUI::kControl;
using VSTGUI::kLButton;
using VSTGUI::kMButton;
using VSTGUI::kRButton;
using VSTGUI::kShift;

namespace {

constexpr int kDelayX = 100, kDelayY = 90;  // centre of the Delay knob

std::vector<MouseState> dragFrom(int x, int y, int dx, int dy, int32_t buttons, int steps = 4) {
  std::vector<MouseState> moves;
  for (int i = 1; i <= steps; ++i)
    moves.push_back({{x + dx * i / steps, y + dy * i / steps}, buttons});
  return moves;
}

using ControlBehaviour = PanelTest;

TEST_F(ControlBehaviour, RectangleBeforeOpenIsThePanelSize) {
  ERect* rect = nullptr;
  ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 385);
  EXPECT_EQ(rect->right, 586);
  EXPECT_TRUE(record()->flags & effFlagsHasEditor);
}

TEST_F(ControlBehaviour, OpenMirrorsStoredValuesAndShowsTheirFrames) {
  setParameter(0, 0.5f);
  setParameter(6, 0.5f);
  open();
  auto* delay = static_cast<VSTGUI::CAnimKnob*>(control(0));
  auto* pan = static_cast<VSTGUI::CAnimKnob*>(control(6));
  EXPECT_EQ(delay->getFrameIndex(), 49);
  EXPECT_EQ(pan->getFrameIndex(), 50);
  EXPECT_EQ(value(5), 1.0f);  // Dry default
  EXPECT_EQ(value(9), 1.0f);  // KnobDust default
  EXPECT_EQ(value(quillet::core::kTagNoteMode), 0.0f);
  EXPECT_EQ(AEffGUIEditor::knobMode, VSTGUI::kLinearMode);
}

TEST_F(ControlBehaviour, LinearDragIs400PixelsAndShiftMakesIt600) {
  open();
  press(kDelayX, kDelayY, kLButton, dragFrom(kDelayX, kDelayY, 0, -40, kLButton));
  EXPECT_FLOAT_EQ(value(0), 0.1f);
  EXPECT_FLOAT_EQ(parameter(0), 0.1f);
  // Right counts as up: 20 right and 20 up is 40 pixels.
  press(kDelayX, kDelayY, kLButton, dragFrom(kDelayX, kDelayY, 20, -20, kLButton));
  EXPECT_FLOAT_EQ(value(0), 0.2f);
  press(kDelayX, kDelayY, kLButton | kShift, dragFrom(kDelayX, kDelayY, 0, -60, kLButton | kShift));
  EXPECT_FLOAT_EQ(value(0), 0.3f);
  // Down and left decrease, clamped at 0.
  press(kDelayX, kDelayY, kLButton, dragFrom(kDelayX, kDelayY, -100, 300, kLButton));
  EXPECT_EQ(value(0), 0.0f);
  EXPECT_EQ(parameter(0), 0.0f);
}

TEST_F(ControlBehaviour, ChangingShiftMidDragContinuesWithoutAJump) {
  open();
  std::vector<MouseState> moves = dragFrom(kDelayX, kDelayY, 0, -40, kLButton);  // +0.1
  // Shift goes down at the last point, then 60 more pixels up: +0.1 at 600.
  for (const MouseState& m : dragFrom(kDelayX, kDelayY - 40, 0, -60, kLButton | kShift, 3))
    moves.push_back(m);
  moves.insert(moves.begin() + 4, MouseState{{kDelayX, kDelayY - 40}, kLButton | kShift});
  press(kDelayX, kDelayY, kLButton, moves);
  EXPECT_NEAR(value(0), 0.2f, 1e-6f);
}

TEST_F(ControlBehaviour, DragIsOneGestureWithAutomationInside) {
  open();
  press(kDelayX, kDelayY, kLButton, dragFrom(kDelayX, kDelayY, 0, -80, kLButton));
  const auto edits = Host::get().edits();
  ASSERT_GE(edits.size(), 3u);
  EXPECT_TRUE(sameRequest(edits.front(), audioMasterBeginEdit, 0));
  EXPECT_TRUE(sameRequest(edits.back(), audioMasterEndEdit, 0));
  for (size_t i = 1; i + 1 < edits.size(); ++i)
    EXPECT_TRUE(sameRequest(edits[i], audioMasterAutomate, 0));
  EXPECT_FLOAT_EQ(edits[edits.size() - 2].opt, 0.2f);
}

TEST_F(ControlBehaviour, AltSelectsCircularDragInLinearMode) {
  open();
  // Straight above the centre is the middle of the arc; straight right is 5/6.
  press(kDelayX, kDelayY - 30, kLButton | kAlt, {{{kDelayX + 30, kDelayY}, kLButton | kAlt}});
  EXPECT_NEAR(value(0), 0.8333333f, 1e-5f);
}

TEST_F(ControlBehaviour, CircularModeJumpsToThePressAndPinsAtTheEnds) {
  open();
  EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 0), 1);
  press(kDelayX, kDelayY - 30, kLButton);
  EXPECT_NEAR(value(0), 0.5f, 1e-5f);
  // Down-right end, then across the gap at the bottom: stays at 1.
  press(kDelayX + 30, kDelayY + 30, kLButton,
        {{{kDelayX + 5, kDelayY + 40}, kLButton}, {{kDelayX - 5, kDelayY + 40}, kLButton}});
  EXPECT_EQ(value(0), 1.0f);
  // The next open sets linear mode again.
  dispatch(effEditClose);
  open();
  EXPECT_EQ(AEffGUIEditor::knobMode, VSTGUI::kLinearMode);
}

TEST_F(ControlBehaviour, CtrlClickRestoresDefaultsInOneGesture) {
  setParameter(5, 0.3f);  // Dry, default 1
  setParameter(6, 0.9f);  // Pan, default 0.5
  setParameter(3, 1.0f);  // Range, default 0.5
  open();
  click(395, 140, kLButton | kControl);
  EXPECT_EQ(parameter(5), 1.0f);
  const auto edits = Host::get().edits();
  ASSERT_EQ(edits.size(), 3u);
  EXPECT_TRUE(sameRequest(edits[0], audioMasterBeginEdit, 5));
  EXPECT_TRUE(sameRequest(edits[1], audioMasterAutomate, 5));
  EXPECT_TRUE(sameRequest(edits[2], audioMasterEndEdit, 5));
  click(200, 140, kLButton | kControl);
  EXPECT_EQ(parameter(6), 0.5f);
  click(110, 288, kLButton | kControl);
  EXPECT_EQ(parameter(3), 0.5f);
  // Ctrl with another modifier is a plain press (a drag that does not move).
  click(200, 140, kLButton | kControl | kShift);
  EXPECT_EQ(parameter(6), 0.5f);
}

TEST_F(ControlBehaviour, WheelStepsKnobsOnlyAndEachStepIsAGesture) {
  open();
  wheel(kDelayX, kDelayY, 1.0f);
  EXPECT_FLOAT_EQ(parameter(0), 0.1f);
  wheel(kDelayX, kDelayY, 2.0f);
  EXPECT_FLOAT_EQ(parameter(0), 0.3f);
  wheel(kDelayX, kDelayY, -1.0f, kShift);
  EXPECT_FLOAT_EQ(parameter(0), 0.29f);
  const auto edits = Host::get().edits();
  ASSERT_EQ(edits.size(), 9u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(sameRequest(edits[i * 3], audioMasterBeginEdit, 0));
    EXPECT_TRUE(sameRequest(edits[i * 3 + 1], audioMasterAutomate, 0));
    EXPECT_TRUE(sameRequest(edits[i * 3 + 2], audioMasterEndEdit, 0));
  }
  Host::get().requests.clear();
  // Over a switch, a key or the background the wheel does nothing.
  const float pingPong = parameter(10);
  wheel(280, 200, 1.0f);
  wheel(110, 288, -1.0f);
  wheel(10, 370, 1.0f);
  EXPECT_EQ(parameter(10), pingPong);
  EXPECT_TRUE(Host::get().edits().empty());
  // Clamped at the top; a step that changes nothing sends nothing.
  wheel(kDelayX, kDelayY, 20.0f);
  EXPECT_EQ(parameter(0), 1.0f);
  Host::get().requests.clear();
  idle();
  wheel(kDelayX, kDelayY, 1.0f);
  EXPECT_TRUE(Host::get().edits().empty());
}

TEST_F(ControlBehaviour, EditorWheelGoesToTheControlUnderThePointer) {
  open();
  window()->movePointer({{480, 90}, 0});  // Level knob
  EXPECT_TRUE(gui()->onWheel(1.0f));
  EXPECT_FLOAT_EQ(parameter(2), 0.1f);
  window()->movePointer({{10, 370}, 0});  // background
  EXPECT_FALSE(gui()->onWheel(1.0f));
}

TEST_F(ControlBehaviour, ArrowKeysStepTheFocusedKnob) {
  open();
  EXPECT_FALSE(keyDown(VKEY_UP));  // nothing has the focus yet
  click(kDelayX, kDelayY);         // a gesture takes the focus
  EXPECT_TRUE(keyDown(VKEY_UP));
  EXPECT_FLOAT_EQ(parameter(0), 0.1f);
  EXPECT_TRUE(keyDown(VKEY_RIGHT));
  EXPECT_FLOAT_EQ(parameter(0), 0.2f);
  EXPECT_TRUE(keyDown(VKEY_DOWN, MODIFIER_SHIFT));
  EXPECT_FLOAT_EQ(parameter(0), 0.19f);
  EXPECT_TRUE(keyDown(VKEY_LEFT));
  EXPECT_FLOAT_EQ(parameter(0), 0.09f);
  EXPECT_FALSE(keyDown(VKEY_SPACE));
  EXPECT_EQ(dispatch(effEditKeyUp, 0, VKEY_UP), 0);
  // A press on the background clears the focus.
  click(10, 370);
  EXPECT_FALSE(keyDown(VKEY_UP));
  EXPECT_FLOAT_EQ(parameter(0), 0.09f);
}

TEST_F(ControlBehaviour, TabWalksTheKnobsInAddingOrder) {
  open();
  const VstInt32 order[] = {0, 1, 2, 5, 6, 7};
  for (VstInt32 tag : order) {
    EXPECT_TRUE(keyDown(VKEY_TAB));
    EXPECT_EQ(gui()->getFrame()->getFocusView(), control(tag));
  }
  EXPECT_FALSE(keyDown(VKEY_TAB));  // past the last: cleared
  EXPECT_EQ(gui()->getFrame()->getFocusView(), nullptr);
  EXPECT_TRUE(keyDown(VKEY_TAB, MODIFIER_SHIFT));
  EXPECT_EQ(gui()->getFrame()->getFocusView(), control(7));
  EXPECT_TRUE(keyDown(VKEY_TAB, MODIFIER_SHIFT));
  EXPECT_EQ(gui()->getFrame()->getFocusView(), control(6));
  // A switch takes the focus with its gesture but does not handle keys.
  click(280, 200);
  EXPECT_EQ(gui()->getFrame()->getFocusView(), control(10));
  EXPECT_FALSE(keyDown(VKEY_UP));
}

TEST_F(ControlBehaviour, SwitchTakesThePositionUnderTheMouseWhileHeld) {
  open();
  click(105, 288);  // left third of the Range selector
  EXPECT_EQ(parameter(3), 0.0f);
  press(105, 288, kLButton, {{{140, 288}, kLButton}, {{175, 288}, kLButton}});
  EXPECT_EQ(parameter(3), 1.0f);
  const auto edits = Host::get().edits();
  EXPECT_TRUE(sameRequest(edits.back(), audioMasterEndEdit, 3));
  // PingPong: thirds of 120 pixels.
  click(221, 200);
  EXPECT_EQ(parameter(10), 0.0f);
  click(280, 200);
  EXPECT_EQ(parameter(10), 0.5f);
  click(339, 200);
  EXPECT_EQ(parameter(10), 1.0f);
}

TEST_F(ControlBehaviour, SwitchShowsTheNearestPosition) {
  open();
  auto* range = static_cast<VSTGUI::CHorizontalSwitch*>(control(3));
  setParameter(3, 0.3f);
  idle();
  EXPECT_EQ(range->getFrameIndex(), 1);
  setParameter(3, 0.24f);
  idle();
  EXPECT_EQ(range->getFrameIndex(), 0);
  setParameter(3, 0.75f);
  idle();
  EXPECT_EQ(range->getFrameIndex(), 2);
}

TEST_F(ControlBehaviour, OnOffButtonsToggleOnEveryPress) {
  open();
  click(255, 327);  // Mute
  EXPECT_EQ(parameter(4), 1.0f);
  const auto edits = Host::get().edits();
  ASSERT_EQ(edits.size(), 3u);
  EXPECT_TRUE(sameRequest(edits[0], audioMasterBeginEdit, 4));
  EXPECT_TRUE(sameRequest(edits[1], audioMasterAutomate, 4));
  EXPECT_EQ(edits[1].opt, 1.0f);
  EXPECT_TRUE(sameRequest(edits[2], audioMasterEndEdit, 4));
  click(255, 327, kLButton | kControl);  // no default: toggles too
  EXPECT_EQ(parameter(4), 0.0f);
  setParameter(8, 0.7f);  // automated 0.7 becomes 1
  click(396, 45);
  EXPECT_EQ(parameter(8), 1.0f);
  click(40, 30);  // KnobDust, on by default
  EXPECT_EQ(parameter(9), 0.0f);
}

TEST_F(ControlBehaviour, RightAndMiddleButtonsChangeNothing) {
  open();
  const int points[][2] = {{kDelayX, kDelayY}, {255, 327}, {110, 288}, {405, 237}, {200, 140}};
  for (const auto& p : points) {
    click(p[0], p[1], kRButton);
    click(p[0], p[1], kMButton);
    click(p[0], p[1], kRButton | kControl);
  }
  EXPECT_TRUE(Host::get().edits().empty());
  EXPECT_EQ(parameter(4), 0.0f);
  EXPECT_EQ(parameter(0), 0.0f);
}

TEST_F(ControlBehaviour, TopmostControlGetsThePress) {
  open();
  // The KnobDust lamp overlaps the Delay knob's top-left corner.
  click(52, 45);
  EXPECT_EQ(parameter(9), 0.0f);
  for (const Request& r : Host::get().edits()) EXPECT_EQ(r.index, 9);
  // Edges count: the knob's right edge still belongs to it.
  Host::get().requests.clear();
  click(150, 90, kLButton | kControl);
  const auto edits = Host::get().edits();
  ASSERT_FALSE(edits.empty());
  EXPECT_EQ(edits.front().index, 0);
}

TEST_F(ControlBehaviour, HostChangesMoveControlsButNotWhenClosed) {
  setParameter(2, 0.4f);  // closed: nothing to move, nothing fails
  open();
  EXPECT_EQ(value(2), 0.4f);
  // A store only marks the control; the next idle pass, on the user-interface
  // thread, moves it.
  setParameter(2, 0.6f);
  EXPECT_EQ(value(2), 0.4f);
  idle();
  EXPECT_EQ(value(2), 0.6f);
  setParameter(2, 7.0f);  // the control shows what the effect stored
  setParameter(1, 0.2f);  // several marks, one pass
  idle();
  EXPECT_EQ(value(2), 1.0f);
  EXPECT_EQ(value(1), 0.2f);
  gui()->setParameter(11, 0.5f);
  gui()->setParameter(-1, 0.5f);
  idle();
  dispatch(effEditClose);
  setParameter(2, 0.1f);
  idle();
  EXPECT_EQ(gui()->controlForTag(2), nullptr);
  open();
  EXPECT_EQ(value(2), 0.1f);  // a store while closed shows at the next open
}

TEST_F(ControlBehaviour, KeysWhileClosedAreNotHandled) {
  EXPECT_EQ(dispatch(effEditKeyDown, 0, VKEY_TAB), 0);
  EXPECT_EQ(dispatch(effEditKeyUp, 0, VKEY_TAB), 0);
  EXPECT_FALSE(gui()->onWheel(1.0f));
}

}  // namespace
