// The link's words in the title and the terminal.
#include "standalone/link_status.h"

#include <gtest/gtest.h>

namespace {

using quillet::standalone::LinkStatus;

TEST(LinkStatus, SaysHowTheProgramStandsWithJack) {
  LinkStatus status;
  EXPECT_EQ(windowTitle(status), "Quillet K3 - JACK: waiting for the server");
  status.state = LinkStatus::State::kLinked;
  status.clientName = "quillet-k3";
  status.rate = 48000;
  status.periodFrames = 256;
  EXPECT_EQ(windowTitle(status), "Quillet K3 - JACK: quillet-k3, 48000 Hz, 256 frames");
  status.xruns = 1;
  EXPECT_EQ(describeLink(status), "JACK: quillet-k3, 48000 Hz, 256 frames, 1 xrun");
  status.xruns = 12;
  status.clientName = "quillet-k3-01";
  EXPECT_EQ(describeLink(status), "JACK: quillet-k3-01, 48000 Hz, 256 frames, 12 xruns");
  status.state = LinkStatus::State::kBadRate;
  status.rate = 20;
  status.xruns = 0;
  EXPECT_EQ(describeLink(status),
            "JACK: quillet-k3-01, 20 Hz, 256 frames, a rate the echo cannot run at");
}

// Xruns on a server without real-time scheduling are said to come from it.
TEST(LinkStatus, ClosingLineSaysWhyThereWereXruns) {
  using quillet::standalone::xrunCount;
  EXPECT_EQ(xrunCount(0, true), "0 xruns");
  EXPECT_EQ(xrunCount(0, false), "0 xruns");
  EXPECT_EQ(xrunCount(1, true), "1 xrun");
  EXPECT_EQ(xrunCount(3, true), "3 xruns");
  EXPECT_EQ(xrunCount(2, false),
            "2 xruns: the JACK server runs without real-time scheduling, so a busy moment of the "
            "computer delays it");
}

}  // namespace
