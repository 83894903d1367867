// MIDI as a pedal takes it: the byte stream (running status, real-time
// bytes, split SysEx), the map file (its lines, its mistakes, learning), and
// the messages turned into values, taps and presets by the map; and a flood
// of them through the JACK input's path without a lost value or an
// allocation.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/echo_core.h"
#include "core/factory_presets.h"
#include "host/validate/allocation_trap.h"
#include "standalone/echo_runner.h"
#include "standalone/midi/midi_control.h"
#include "standalone/midi/midi_input.h"
#include "standalone/midi/midi_map.h"
#include "standalone/midi/midi_stream.h"
#include "standalone/midi/midi_table.h"
#include "tests/support/wait_until.h"

namespace {

using namespace quillet::standalone;

std::vector<MidiMessage> parse(MidiStream& stream, const std::vector<uint8_t>& bytes) {
  std::vector<MidiMessage> out;
  stream.feed(bytes.data(), bytes.size(), [&](const MidiMessage& m) { out.push_back(m); });
  return out;
}

std::string text(const std::vector<MidiMessage>& messages) {
  std::string t;
  for (const MidiMessage& m : messages) {
    char one[16];
    std::snprintf(one, sizeof one, "%02x %d %d;", m.status, m.data1, m.data2);
    t += one;
  }
  return t;
}

TEST(MidiStream, ReadsMessagesAsMidiSaysEvenAcrossEvents) {
  MidiStream s;
  // Whole messages, and running status within and across events.
  EXPECT_EQ(text(parse(s, {0xB0, 11, 64, 11, 65})), "b0 11 64;b0 11 65;");
  EXPECT_EQ(text(parse(s, {11, 66})), "b0 11 66;");
  EXPECT_EQ(text(parse(s, {0xC3, 5, 6})), "c3 5 0;c3 6 0;");
  // Real-time bytes anywhere change nothing, not even a message half read.
  EXPECT_EQ(text(parse(s, {0x91, 0xF8, 60, 0xFE, 100})), "91 60 100;");
  // A status byte abandons a message half read.
  EXPECT_EQ(text(parse(s, {0xB0, 7, 0xB0, 7, 100})), "b0 7 100;");
  // SysEx split over events (as JACK splits long ones): its data is skipped,
  // and it ends running status.
  EXPECT_EQ(text(parse(s, {0xB0, 1, 2, 0xF0, 0x7E, 11, 12})), "b0 1 2;");
  EXPECT_EQ(text(parse(s, {11, 12, 0xF7, 11, 12})), "");
  // System Common: song position's two data bytes are its own; then no status.
  EXPECT_EQ(text(parse(s, {0xB2, 3, 4, 0xF2, 10, 20, 30, 40})), "b2 3 4;");
  // A SysEx cut short by a channel status byte.
  EXPECT_EQ(text(parse(s, {0xF0, 1, 2, 0x90, 60, 0})), "90 60 0;");
  s.reset();
  EXPECT_EQ(text(parse(s, {60, 0})), "");
}

TEST(MidiMap, TheDefaultMapAsItsFileSaysIt) {
  const MidiMap defaults = MidiMap::defaults();
  const std::string file = defaults.text();
  for (const char* line : {"\npc 0 slapback\n", "\npc 8 send_echo\n", "\ncc 11 Repeat\n",
                           "\ncc 7 Level\n", "\ncc 64 Mute\n", "\ncc 80 tap\n"})
    EXPECT_NE(file.find(line), std::string::npos) << line;
  std::vector<std::string> problems;
  const MidiMap again = MidiMap::parse(file, &problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(again.text(), file);
}

TEST(MidiMap, EachBadLineIsSaidAndLeftOutTheRestHolds) {
  std::vector<std::string> problems;
  const MidiMap map = MidiMap::parse(
      "# my pedal\n"
      "cc 20 Delay\n"
      "cc 21 Tone\n"
      "ch 17 cc 22 Level\n"
      "cc 121 Mute\n"
      "note 60 Repeat\n"
      "cc 23 Repeat toggle\n"
      "pc 3 Warp Drive\n"
      "frobnicate\n"
      "ch 2 CC 24 mono out toggle   # a footswitch\n"
      "note any tap\n"
      "pc 12 4\n"
      "cc 20 x_feed\n",
      &problems);
  ASSERT_EQ(problems.size(), 8u);
  EXPECT_NE(problems[0].find("line 3: unknown parameter 'Tone'"), std::string::npos);
  EXPECT_NE(problems[1].find("line 4: a channel is 1 to 16"), std::string::npos);
  EXPECT_NE(problems[2].find("line 5: a controller is 0 to 119"), std::string::npos);
  EXPECT_NE(problems[3].find("line 6: a note can only tap"), std::string::npos);
  EXPECT_NE(problems[4].find("line 7: only a switch toggles"), std::string::npos);
  EXPECT_NE(problems[5].find("line 8: unknown preset 'Warp Drive'"), std::string::npos);
  EXPECT_NE(problems[6].find("line 9: not a binding"), std::string::npos);
  EXPECT_NE(problems[7].find("line 13: cc 20 was bound already; this line replaces it"),
            std::string::npos);
  for (const std::string& p : problems) {
    if (p.find("replaces") == std::string::npos) {
      EXPECT_NE(p.find("the line is left out"), std::string::npos) << p;
    }
  }
  EXPECT_EQ(map.text().substr(map.text().find("\ncc") + 1),
            "cc 20 X-Feed\nch 2 cc 24 Mono Out toggle\nnote any tap\npc 12 quarter_note_echo\n");
}

TEST(MidiMap, LearningGivesTheControlOneSourceAndTheSourceOneControl) {
  MidiMap map = MidiMap::defaults();
  // CC 11 (Repeat's) now drives Level: Level's cc 7 goes, and Repeat has none.
  ASSERT_TRUE(map.learn({MidiSourceKind::kControl, 0, 11}, quillet::engine::kParamLevel));
  EXPECT_EQ(map.bindingOf(quillet::engine::kParamRepeat), nullptr);
  ASSERT_NE(map.bindingOf(quillet::engine::kParamLevel), nullptr);
  EXPECT_EQ(sourceText(map.bindingOf(quillet::engine::kParamLevel)->source), "cc 11");
  EXPECT_EQ(map.text().find("cc 7 Level"), std::string::npos);
  // A toggling footswitch stays one when it is learned again.
  std::vector<std::string> problems;
  map = MidiMap::parse("cc 64 Mute toggle\n", &problems);
  ASSERT_TRUE(map.learn({MidiSourceKind::kControl, 0, 65}, quillet::engine::kParamMute));
  EXPECT_EQ(map.text().substr(map.text().find("\ncc") + 1), "cc 65 Mute toggle\n");
  // The tap takes a note; a parameter does not, nor is a program learned.
  EXPECT_TRUE(map.learn({MidiSourceKind::kNote, 0, 36}, kLearnTap));
  EXPECT_FALSE(map.learn({MidiSourceKind::kNote, 0, 36}, quillet::engine::kParamDelay));
  EXPECT_FALSE(map.learn({MidiSourceKind::kProgram, 0, 1}, quillet::engine::kParamDelay));
  EXPECT_TRUE(map.forget(kLearnTap));
  EXPECT_FALSE(map.forget(kLearnTap));
  EXPECT_EQ(map.bindingOf(kLearnTap), nullptr);
}

// What the messages of a block asked for, as text.
struct Recorded final : MidiActions {
  std::string log;
  float stored[quillet::core::kNumQuilletParams] = {};
  void change(uint32_t frame, int32_t index, float value) override {
    char one[64];
    std::snprintf(one, sizeof one, "%u:%s=%.9g;", frame, quillet::core::kQuilletParams[index].name,
                  value);
    log += one;
  }
  void tap(uint32_t frame) override { log += std::to_string(frame) + ":tap;"; }
  float storedValue(int32_t index) const override { return stored[index]; }
  std::string take() { return std::exchange(log, ""); }
};

class MidiControlTest : public ::testing::Test {
 protected:
  void map(const char* text) {
    std::vector<std::string> problems;
    table.publish(MidiMap::parse(text, &problems));
    ASSERT_TRUE(problems.empty()) << problems[0];
  }
  void send(uint32_t frame, uint8_t status, uint8_t a, uint8_t b = 0) {
    control.message(frame, MidiMessage{status, a, b}, actions);
  }
  MidiTable table;
  MidiControl control{table};
  Recorded actions;
};

TEST_F(MidiControlTest, KnobsTakeSevenBitsUntilAFineHalfComesThenFourteen) {
  map("cc 7 Level\ncc 39 Dry\ncc 1 Pan\n");
  send(0, 0xB0, 7, 127);
  send(1, 0xB0, 7, 64);
  EXPECT_EQ(actions.take(), "0:Level=1;1:Level=0.503937006;");
  // Controller 39 is bound on its own: not Level's fine half.
  send(2, 0xB0, 39, 10);
  EXPECT_EQ(actions.take(), "2:Dry=0.0787401572;");
  // Pan's fine half (33): 14 bits from then on, the coarse value clearing it.
  send(3, 0xB5, 1, 100);
  send(4, 0xB5, 33, 64);
  send(5, 0xB5, 1, 127);
  send(6, 0xB5, 33, 127);
  EXPECT_EQ(actions.take(), "3:Pan=0.787401557;4:Pan=0.785204172;5:Pan=0.992248058;6:Pan=1;");
  // Another channel has not sent a fine half.
  send(7, 0xB6, 1, 127);
  EXPECT_EQ(actions.take(), "7:Pan=1;");
  control.forgetControllers();
  send(8, 0xB5, 1, 127);
  EXPECT_EQ(actions.take(), "8:Pan=1;");
}

TEST_F(MidiControlTest, SwitchesSelectorsTapsAndPresets) {
  map("cc 64 Mute\ncc 65 Mono Out toggle\ncc 3 Range\ncc 80 tap\ncc 81 tap each\n"
      "ch 2 cc 64 KnobDust\nnote 36 tap\npc 4 dub_throw\n");
  send(0, 0xB0, 64, 64);
  send(1, 0xB0, 64, 63);
  send(2, 0xB1, 64, 127);  // channel 2's own binding
  EXPECT_EQ(actions.take(), "0:Mute=1;1:Mute=0;2:KnobDust=1;");
  // A toggle flips at each press, twice within the block too; a release does nothing.
  actions.stored[quillet::engine::kParamMonoOut] = 1.0f;
  send(3, 0xB0, 65, 127);
  send(4, 0xB0, 65, 0);
  send(5, 0xB0, 65, 127);
  EXPECT_EQ(actions.take(), "3:Mono Out=0;5:Mono Out=1;");
  control.beginBlock();
  actions.stored[quillet::engine::kParamMonoOut] = 0.0f;
  send(0, 0xB0, 65, 100);
  EXPECT_EQ(actions.take(), "0:Mono Out=1;");
  send(0, 0xB0, 3, 42);
  send(1, 0xB0, 3, 43);
  send(2, 0xB0, 3, 86);
  EXPECT_EQ(actions.take(), "0:Range=0;1:Range=0.5;2:Range=1;");
  // Taps: presses only, or every message; a note-on, but not one of velocity 0.
  send(0, 0xB0, 80, 127);
  send(1, 0xB0, 80, 0);
  send(2, 0xB0, 81, 0);
  send(3, 0x99, 36, 1);
  send(4, 0x99, 36, 0);
  send(5, 0x99, 37, 90);
  EXPECT_EQ(actions.take(), "0:tap;2:tap;3:tap;");
  // A program change: every value of the preset but Mute; unbound ones nothing.
  send(9, 0xC7, 4);
  send(9, 0xC0, 5);
  std::string want;
  const quillet::core::FactoryPreset& dub = quillet::core::kFactoryPresets[5];
  for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i) {
    if (i == quillet::engine::kParamMute) continue;
    char one[64];
    std::snprintf(one, sizeof one, "9:%s=%.9g;", quillet::core::kQuilletParams[i].name,
                  dub.values[i]);
    want += one;
  }
  EXPECT_EQ(actions.take(), want);
}

TEST_F(MidiControlTest, LearningTakesTheFirstControllerThatMovesAndOnlyThat) {
  map("cc 11 Repeat\n");
  MidiSource source;
  int32_t learnedFor = 0;
  EXPECT_FALSE(control.takeLearned(&source, &learnedFor));
  control.learn(quillet::engine::kParamDelay);
  send(0, 0x90, 60, 100);  // a note cannot drive Delay: still learning
  send(1, 0xB3, 11, 20);   // CC 11 on channel 4: learned, and not Repeat's now
  send(2, 0xB0, 11, 30);   // learning is over: Repeat's again
  EXPECT_EQ(actions.take(), "2:Repeat=0.236220479;");
  ASSERT_TRUE(control.takeLearned(&source, &learnedFor));
  EXPECT_EQ(sourceText(source), "cc 11");  // any channel
  EXPECT_EQ(learnedFor, quillet::engine::kParamDelay);
  EXPECT_FALSE(control.takeLearned(&source, &learnedFor));
  int32_t armed = 0;
  EXPECT_FALSE(control.learningControl(&armed));
  // The tap learns a note; stopping leaves nothing learned.
  control.learn(kLearnTap);
  ASSERT_TRUE(control.learningControl(&armed));
  EXPECT_EQ(armed, kLearnTap);
  send(3, 0x90, 62, 0);  // a note-off: not a strike
  send(4, 0x90, 62, 80);
  ASSERT_TRUE(control.takeLearned(&source, &learnedFor));
  EXPECT_EQ(sourceText(source), "note 62");
  EXPECT_EQ(learnedFor, kLearnTap);
  control.learn(quillet::engine::kParamLevel);
  control.stopLearning();
  send(5, 0xB0, 1, 1);
  EXPECT_FALSE(control.takeLearned(&source, &learnedFor));
}

// A flood through the JACK input's path (bytes, map, the block's changes,
// the runner): thousands of messages in one period, most of them junk, and
// the last value of each parameter still lands; taps give the tempo at
// their frames; the audio thread never allocates.
TEST(MidiInput, AFloodLosesNoLastValueAndNeverAllocates) {
  quillet::core::EchoCore core;
  EchoRunner runner(core);
  MidiTable table;
  table.publish(MidiMap::defaults());
  PedalTempo tempo;
  MidiInput input(table, tempo, core);
  ASSERT_TRUE(runner.startAt(48000.0));
  constexpr uint32_t kPeriod = 256;
  std::vector<float> in(kPeriod, 0.25f), outL(kPeriod), outR(kPeriod);
  const float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {outL.data(), outR.data()};
  auto block = std::make_unique<quillet::core::BlockChanges>();
  const uint8_t junk[] = {0xF0, 1, 2, 3, 0xF7, 0xF8, 0xB0, 121, 0, 0xC0, 99, 0x80, 60, 0};
  const uint8_t pc[] = {0xC0, 7};
  const uint8_t tap[] = {0xB0, 80, 127};
  if (quillet::host::allocation_trap::available()) quillet::host::allocation_trap::arm();
  uint32_t clock = 1000;
  for (int period = 0; period < 40; ++period) {
    block->clear();
    input.beginBlock(block.get(), clock, 48000.0, nullptr, nullptr);
    for (uint32_t i = 0; i < 4000; ++i) {
      const uint8_t cc[] = {0xB0, 11, static_cast<uint8_t>(i % 128)};
      input.event(i % kPeriod, cc, sizeof cc);
      input.event(i % kPeriod, junk, sizeof junk);
      if (i % 500 == 0) input.event(i % kPeriod, pc, sizeof pc);
    }
    // The last word on Repeat, at the period's last frame.
    const uint8_t last[] = {0xB0, 11, static_cast<uint8_t>(period)};
    input.event(kPeriod - 1, last, sizeof last);
    // A tap every ten periods, the frame clock (JACK's) 24000 frames on each time.
    if (period % 10 == 0) input.event(10, tap, sizeof tap);
    runner.process(ins, outs, kPeriod, *block);
    EXPECT_EQ(core.parameter(quillet::engine::kParamRepeat), static_cast<float>(period) / 127.0f)
        << period;
    clock += period % 10 == 9 ? 24000 - 9 * kPeriod : kPeriod;
  }
  const uint64_t allocations =
      quillet::host::allocation_trap::available() ? quillet::host::allocation_trap::disarm() : 0;
  EXPECT_EQ(allocations, 0u);
  EXPECT_EQ(core.parameter(quillet::engine::kParamDelay),
            quillet::core::kFactoryPresets[7].values[quillet::engine::kParamDelay]);
  EXPECT_EQ(tempo.bpm(), 120.0);
  EXPECT_EQ(tempo.source(), TempoSource::kTap);
}

// Run under ThreadSanitizer (scripts/test-tsan.sh): the audio thread reading
// the map and handing learned controllers over while the main thread
// publishes maps and arms learning again and again.
TEST(MidiControl, LearnsAndTakesNewMapsWhileTheAudioThreadReadsThreads) {
  MidiTable table;
  MidiControl control(table);
  std::vector<std::string> problems;
  const MidiMap maps[2] = {MidiMap::parse("cc 11 Repeat\ncc 20 tap\n", &problems),
                           MidiMap::parse("cc 11 Level\nnote any tap\n", &problems)};
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> asked{0};
  std::thread audio([&] {
    Recorded actions;
    for (uint8_t v = 0; !stop.load(); ++v) {
      control.beginBlock();
      control.message(0, MidiMessage{0xB0, 11, static_cast<uint8_t>(v & 127)}, actions);
      control.message(1, MidiMessage{0x90, 60, 100}, actions);
      asked.fetch_add(actions.take().size());
    }
  });
  for (int i = 0; i < 100; ++i) {
    table.publish(maps[i % 2]);
    control.learn(i % 2 ? kLearnTap : quillet::engine::kParamDelay);
    MidiSource source;
    int32_t learnedFor = 0;
    ASSERT_TRUE(
        quillet::test::waitUntil([&] { return control.takeLearned(&source, &learnedFor); }));
    EXPECT_EQ(learnedFor, i % 2 ? kLearnTap : quillet::engine::kParamDelay);
    EXPECT_TRUE(source.kind == MidiSourceKind::kControl || learnedFor == kLearnTap);
  }
  stop.store(true);
  audio.join();
  EXPECT_GT(asked.load(), 0u);
}

}  // namespace
