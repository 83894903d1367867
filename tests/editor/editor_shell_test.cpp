// The editor's life as hosts drive it: open, idle, close in odd orders,
// idle pacing inside mouse tracking, and which controls get redrawn.
#include "panel_fixture.h"

using namespace quillet::test;
using quillet::platform::Rect;
using VSTGUI::kLButton;

namespace {

using EditorShell = PanelTest;

TEST_F(EditorShell, IdleBeforeOpenAndCloseWithoutOpenDoNothing) {
  idle();
  dispatch(effEditClose);
  dispatch(effEditClose);
  EXPECT_EQ(quillet::platform::HeadlessWindow::liveCount(), 0);
}

TEST_F(EditorShell, OpenTwiceKeepsOneWindowAndCloseTwiceIsHarmless) {
  open();
  ASSERT_EQ(dispatch(effEditOpen, 0, 0, &parentWindow), 1);
  EXPECT_EQ(quillet::platform::HeadlessWindow::liveCount(), 1);
  dispatch(effEditClose);
  EXPECT_EQ(quillet::platform::HeadlessWindow::liveCount(), 0);
  EXPECT_EQ(gui()->getFrame(), nullptr);
  dispatch(effEditClose);
  idle();
  open();
  EXPECT_EQ(quillet::platform::HeadlessWindow::liveCount(), 1);
}

TEST_F(EditorShell, NullParentWindowIsRefused) {
  EXPECT_EQ(dispatch(effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(gui()->getFrame(), nullptr);
  idle();
  setParameter(0, 0.5f);
  dispatch(effEditClose);
}

TEST_F(EditorShell, DeletingTheEffectWithTheEditorOpenClosesIt) {
  open();
  delete effect;
  effect = nullptr;
  EXPECT_EQ(quillet::platform::HeadlessWindow::liveCount(), 0);
  effect = new Quillet(&Host::callback);  // for TearDown
}

TEST_F(EditorShell, OnlyTheChangedControlIsRedrawn) {
  open();
  window()->clearPresented();
  idle();
  EXPECT_TRUE(window()->presentedAreas().empty());  // nothing changed
  setParameter(6, 0.9f);                            // Pan
  idle();
  ASSERT_EQ(window()->presentedAreas().size(), 1u);
  EXPECT_EQ(window()->presentedAreas()[0], Rect(185, 125, 215, 155));
  window()->clearPresented();
  // Too small a change to move the indicator by a pixel: not redrawn.
  setParameter(0, 0.001f);
  idle();
  EXPECT_TRUE(window()->presentedAreas().empty());
  setParameter(0, 0.3f);
  idle();
  ASSERT_EQ(window()->presentedAreas().size(), 1u);
  EXPECT_EQ(window()->presentedAreas()[0], Rect(50, 40, 150, 140));
}

TEST_F(EditorShell, NothingIsDrawnBeforeTheFirstPaint) {
  ASSERT_EQ(dispatch(effEditOpen, 0, 0, &parentWindow), 1);
  // The first paint is still queued; the frame's idle redraw waits for it.
  gui()->getFrame()->idle();
  EXPECT_TRUE(window()->presentedAreas().empty());
  idle();
  ASSERT_FALSE(window()->presentedAreas().empty());
  EXPECT_EQ(window()->presentedAreas()[0], Rect(0, 0, 586, 385));
}

TEST_F(EditorShell, HostIdleAnsweredWithEditIdleDoesNotRedrawInsideTracking) {
  open();
  Host::get().reenterOnIdle = record();
  // A long drag: the tracking loop asks the host to idle now and then; the
  // host's nested effEditIdle must not pump events or redraw.
  std::vector<quillet::platform::MouseState> moves;
  for (int i = 1; i <= 40; ++i) moves.push_back({{100, 90 - i}, kLButton});
  press(100, 90, kLButton, moves);
  EXPECT_GE(Host::get().idleRequests, 1);
  EXPECT_EQ(Host::get().drawnDuringNestedIdle, 0);
  EXPECT_FLOAT_EQ(parameter(0), 0.1f);
}

TEST_F(EditorShell, TwoInstancesOpenAtOnce) {
  Quillet* second = new Quillet(&Host::callback);
  open();
  auto* secondRecord = second->getAeffect();
  int otherParent = 0;
  ASSERT_EQ(secondRecord->dispatcher(secondRecord, effEditOpen, 0, 0, &otherParent, 0.0f), 1);
  EXPECT_EQ(quillet::platform::HeadlessWindow::liveCount(), 2);
  secondRecord->dispatcher(secondRecord, effEditIdle, 0, 0, nullptr, 0.0f);
  setParameter(4, 1.0f);
  idle();
  secondRecord->dispatcher(secondRecord, effEditIdle, 0, 0, nullptr, 0.0f);
  EXPECT_EQ(value(4), 1.0f);
  EXPECT_EQ(static_cast<QuilletGUI*>(second->getEditor())->controlForTag(4)->getValue(), 0.0f);
  delete second;
  EXPECT_EQ(quillet::platform::HeadlessWindow::liveCount(), 1);
}

}  // namespace
