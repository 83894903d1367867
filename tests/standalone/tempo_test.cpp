// The pedal's own tempo: taps as delay pedals count them, the echo set to
// the followed note at a new tempo, and the tempo file kept beside the state.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "standalone/pedal_tempo.h"
#include "standalone/tap_tempo.h"
#include "standalone/tempo_file.h"

namespace {

using namespace quillet::standalone;

TEST(TapTempo, TheRowsAverageStartOverAndBounce) {
  TapTempo taps(48000.0);  // frames
  EXPECT_EQ(taps.tap(1000), 0.0);
  EXPECT_EQ(taps.tap(25000), 120.0);  // exactly: 24000 frames
  // The average of the intervals, not the last one: 0.5 s, then 0.4 s.
  EXPECT_DOUBLE_EQ(taps.tap(44200), 60.0 * 2 / (43200.0 / 48000.0));
  // A bounce (or a chord) 50 ms on is no tap.
  EXPECT_EQ(taps.tap(46600), 0.0);
  EXPECT_EQ(taps.taps(), 3);
  // More than 2 s on: a new row; exactly 2 s on: the same row.
  EXPECT_EQ(taps.tap(44200 + 96001), 0.0);
  EXPECT_EQ(taps.taps(), 1);
  EXPECT_EQ(taps.tap(44200 + 96001 + 96000), 30.0);
  // Eight taps at most: the oldest goes, and the tempo follows the newer ones.
  TapTempo row(1e6);
  uint64_t t = 0;
  row.tap(t);
  for (int i = 0; i < 7; ++i) row.tap(t += 1000000);  // 60 bpm
  EXPECT_EQ(row.taps(), 8);
  double bpm = 0.0;
  for (int i = 0; i < 6; ++i) bpm = row.tap(t += 500000);  // 120 bpm
  EXPECT_EQ(row.taps(), 8);
  EXPECT_EQ(bpm, 60.0 * 7 / (6 * 0.5 + 1.0));  // one 1 s interval left among the eight taps
  EXPECT_EQ(row.tap(t += 500000), 120.0);
}

TEST(PedalTempo, ANewTempoSetsTheFollowedNote) {
  PedalTempo tempo;
  EXPECT_EQ(tempo.bpm(), 0.0);
  EXPECT_FALSE(tempo.set(19.0, TempoSource::kTap));
  EXPECT_FALSE(tempo.set(1000.0, TempoSource::kTap));
  const uint32_t before = tempo.generation();
  ASSERT_TRUE(tempo.set(120.0, TempoSource::kOption));
  EXPECT_NE(tempo.generation(), before);
  // A quarter note at 120 bpm: 500 ms, as the panel's key sets it.
  DelaySetting echo = tempo.echoAt(120.0);
  EXPECT_EQ(echo.delay, 0.84674740f);
  EXPECT_EQ(echo.range, 0.5f);
  ASSERT_TRUE(tempo.follow(0.125 * 2.0 / 3.0));  // a triplet thirty-second: 41.67 ms
  echo = tempo.echoAt(120.0);
  EXPECT_EQ(echo.delay, 0.08974359f);
  EXPECT_EQ(echo.range, 0.0f);
  EXPECT_FALSE(tempo.follow(7.0));
  EXPECT_FALSE(tempo.follow(0.0));
}

class TempoFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillet-k3-tempo-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    path = tempoPathFor(folder + "/standalone");
  }
  void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }
  std::string folder, path;
};

TEST_F(TempoFileTest, KeptBesideTheStateAndReadBack) {
  EXPECT_EQ(path, folder + "/standalone.tempo");
  PedalTempo tempo, back;
  std::string why;
  EXPECT_EQ(readTempoFile(path, &back, &why), TempoRead::kMissing);
  ASSERT_TRUE(writeTempoFile(path, back));  // no tempo yet: the note alone
  ASSERT_EQ(readTempoFile(path, &back, &why), TempoRead::kLoaded) << why;
  EXPECT_EQ(back.bpm(), 0.0);
  tempo.set(97.3, TempoSource::kTap);
  tempo.follow(0.75);
  ASSERT_TRUE(writeTempoFile(path, tempo));
  ASSERT_EQ(readTempoFile(path, &back, &why), TempoRead::kLoaded) << why;
  EXPECT_EQ(back.bpm(), 97.3);
  EXPECT_EQ(back.source(), TempoSource::kTap);
  EXPECT_EQ(back.followedNote(), 0.75);
  tempo.set(140.0, TempoSource::kOption);
  ASSERT_TRUE(writeTempoFile(path, tempo));
  ASSERT_EQ(readTempoFile(path, &back, &why), TempoRead::kLoaded) << why;
  EXPECT_EQ(back.source(), TempoSource::kOption);
}

TEST_F(TempoFileTest, AFileThatIsNotOneChangesNothing) {
  PedalTempo tempo;
  tempo.set(100.0, TempoSource::kTap);
  std::string why;
  for (const char* text :
       {"tempo fast\n", "tempo 5000\n", "note 9\n", "tempo 120 130\n", "colour blue\n"}) {
    std::ofstream(path) << text;
    EXPECT_EQ(readTempoFile(path, &tempo, &why), TempoRead::kRefused) << text;
    EXPECT_NE(why.find("not a tempo file"), std::string::npos) << why;
    EXPECT_EQ(tempo.bpm(), 100.0) << text;
  }
}

}  // namespace
