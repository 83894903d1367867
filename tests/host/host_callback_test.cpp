// The loader and the host callback, as plug-ins see them.
#include <cstring>

#include "host/plugin/vst2/plugin_host.h"
#include "host/plugin/vst2/plugin_text.h"
#include "host_test_support.h"

namespace {

using quillet::host::HostCallback;

VstIntPtr ask(HostCallback& host, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
              void* ptr = nullptr, float opt = 0.0f) {
  return host.handle(nullptr, opcode, index, value, ptr, opt);
}

TEST(HostCallback, AnswersVersion2400AndZeroToWhatItDoesNotKnow) {
  HostCallback host;
  EXPECT_EQ(ask(host, audioMasterVersion), 2400);
  EXPECT_EQ(ask(host, audioMasterCurrentId), 0);
  EXPECT_EQ(ask(host, audioMasterSizeWindow, 100, 100), 0);
  EXPECT_EQ(ask(host, 12345), 0);
  EXPECT_EQ(ask(host, -1), 0);
}

TEST(HostCallback, TimeRecordCarriesTheTempoTheCallerSet) {
  HostCallback host;
  host.setTempo(93.5);
  host.setSampleRate(48000.0);
  host.setSamplePosition(96000.0);
  auto* time = reinterpret_cast<VstTimeInfo*>(ask(host, audioMasterGetTime, 0, kVstTempoValid));
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->tempo, 93.5);
  EXPECT_EQ(time->sampleRate, 48000.0);
  EXPECT_EQ(time->samplePos, 96000.0);
  EXPECT_DOUBLE_EQ(time->ppqPos, 2.0 * 93.5 / 60.0);  // two seconds in
  EXPECT_TRUE(time->flags & kVstTempoValid);
  EXPECT_EQ(time->timeSigNumerator, 4);
  host.setTimeAvailable(false);
  EXPECT_EQ(ask(host, audioMasterGetTime, 0, kVstTempoValid), 0);
}

TEST(HostCallback, RecordsEveryRequestInOrder) {
  HostCallback host;
  ask(host, audioMasterAutomate, 3, 0, nullptr, 0.25f);
  ask(host, audioMasterBeginEdit, 3);
  ask(host, audioMasterEndEdit, 3);
  ask(host, audioMasterIdle);
  ask(host, audioMasterWantMidi, 0, 1);
  ASSERT_EQ(host.requests().size(), 5u);
  EXPECT_EQ(host.requests()[0].opcode, audioMasterAutomate);
  EXPECT_EQ(host.requests()[0].index, 3);
  EXPECT_EQ(host.requests()[0].opt, 0.25f);
  EXPECT_EQ(host.requests()[4].value, 1);
  EXPECT_EQ(host.count(audioMasterEndEdit), 1u);
  host.setRecording(false);
  ask(host, audioMasterIdle);
  EXPECT_EQ(host.count(audioMasterIdle), 1u);
  host.clear();
  EXPECT_TRUE(host.requests().empty());
}

TEST(HostCallback, TextQueriesStayWithinTheirLimits) {
  HostCallback host;
  char text[80];
  std::memset(text, 'x', sizeof(text));
  EXPECT_EQ(ask(host, audioMasterGetVendorString, 0, 0, text), 1);
  EXPECT_STREQ(text, "Marrow Ledge");
  EXPECT_EQ(ask(host, audioMasterGetProductString, 0, 0, text), 1);
  EXPECT_STREQ(text, "quillet-host");
  EXPECT_EQ(ask(host, audioMasterGetVendorString), 0);  // no buffer: nothing written
  char sendTime[] = "sendVstTimeInfo";
  char sizeWindow[] = "sizeWindow";
  EXPECT_EQ(ask(host, audioMasterCanDo, 0, 0, sendTime), 1);
  EXPECT_EQ(ask(host, audioMasterCanDo, 0, 0, sizeWindow), 0);
  EXPECT_EQ(ask(host, audioMasterCanDo), 0);
}

TEST(Loader, FindsTheInstanceWhileTheEntryPointRunsAndAfterwards) {
  auto plugin = quillet::test::open(QTAPG_PATH);
  ASSERT_TRUE(plugin.instance);
  // The entry point's version request reached this instance's callback.
  EXPECT_EQ(plugin->host().count(audioMasterVersion), 1u);
  auto second = quillet::test::open(QTAP_PATH);
  ASSERT_TRUE(second.instance);
  EXPECT_EQ(second->host().count(audioMasterVersion), 1u);
  EXPECT_EQ(plugin->host().count(audioMasterVersion), 1u);
}

TEST(Loader, RefusesWhatIsNoPlugin) {
  std::string error;
  EXPECT_FALSE(quillet::host::PluginLibrary::load("/no/such/plugin.so", &error));
  EXPECT_NE(error.find("cannot load /no/such/plugin.so"), std::string::npos) << error;

  quillet::host::OpenedPlugin plugin;
  EXPECT_FALSE(quillet::host::openPlugin("/no/such/plugin.so", &plugin, &error));
  EXPECT_EQ(error, "cannot read /no/such/plugin.so: No such file or directory");

  // A real shared library without the entry point (the test plug-in's host library).
  EXPECT_FALSE(quillet::host::openPlugin(TEST_PLUGIN_GOOD ".missing", &plugin, &error));
  quillet::test::ScratchDir dir;
  const std::string text = dir.file("text.so");
  FILE* f = std::fopen(text.c_str(), "w");
  std::fputs("not a library", f);
  std::fclose(f);
  EXPECT_FALSE(quillet::host::openPlugin(text, &plugin, &error));
  EXPECT_NE(error.find("cannot load"), std::string::npos) << error;
}

TEST(Loader, FallsBackToTheOlderEntryPointName) {
  auto plugin = quillet::test::open(TEST_PLUGIN_MAINONLY);
  ASSERT_TRUE(plugin.instance);
  EXPECT_EQ(plugin->effect()->uniqueID, fourCharCode('H', 't', 's', 't'));
}

TEST(Loader, NamesWhatIsWrongWithALibrary) {
  quillet::host::OpenedPlugin plugin;
  std::string error;
  EXPECT_FALSE(quillet::host::openPlugin(TEST_PLUGIN_NOENTRY, &plugin, &error));
  EXPECT_NE(error.find("is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main"),
            std::string::npos)
      << error;
  EXPECT_FALSE(quillet::host::openPlugin(TEST_PLUGIN_BADMAGIC, &plugin, &error));
  EXPECT_NE(error.find("not a VST 2.4 plug-in: the entry point returned a record without the "
                       "'VstP' mark"),
            std::string::npos)
      << error;
}

TEST(Loader, InstanceClosesOnce) {
  auto plugin = quillet::test::open(TEST_PLUGIN_GOOD);
  ASSERT_TRUE(plugin.instance);
  plugin->close();
  EXPECT_EQ(plugin->effect(), nullptr);
  EXPECT_EQ(plugin->dispatch(effGetVstVersion), 0);  // closed: nothing is called
  plugin->close();
}

TEST(PluginText, NamesOfTheRecordsNumbers) {
  EXPECT_EQ(quillet::host::fourCharText(fourCharCode('Q', 'T', 'A', 'P')), "'QTAP' (0x51544150)");
  EXPECT_EQ(quillet::host::fourCharText(1), "0x00000001");
  EXPECT_EQ(
      quillet::host::flagNames(effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks),
      "HasEditor CanReplacing ProgramChunks");
  EXPECT_EQ(quillet::host::flagNames(0), "none");
  EXPECT_EQ(quillet::host::flagNames(1 << 20), "0x100000");
  EXPECT_EQ(quillet::host::categoryName(1), "Effect");
  EXPECT_EQ(quillet::host::categoryName(42), "category 42");
  EXPECT_EQ(quillet::host::printable("a\x1b[2Jb"), "a?[2Jb");
}

// The value printed after a label, on the line that starts with it.
std::string field(const std::string& out, const std::string& label) {
  const size_t at = out.find("\n" + label);
  if (at == std::string::npos) return "(missing)";
  const size_t end = out.find('\n', at + 1);
  const std::string line = out.substr(at + 1 + label.size(), end - at - 1 - label.size());
  return line.substr(line.find_first_not_of(' '));
}

TEST(InfoCommand, PrintsWhatAHostSees) {
  auto r = quillet::test::runCommand("info", {QTAP_PATH});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(field(r.out, "Unique ID:"), "'QTAP' (0x51544150)");
  EXPECT_EQ(field(r.out, "Vendor:"), "\"Marrow Ledge\"");
  EXPECT_EQ(field(r.out, "Effect name:"), "\"Quillet K3 (no GUI)\"");
  EXPECT_EQ(field(r.out, "Category:"), "Effect (1)");
  EXPECT_EQ(field(r.out, "Inputs:"), "2");
  EXPECT_EQ(field(r.out, "Flags:"), "CanReplacing ProgramChunks CanDoubleReplacing");
  EXPECT_EQ(field(r.out, "Parameters:"), "11");
  EXPECT_NE(r.out.find("     10  PingPong "), std::string::npos) << r.out;

  r = quillet::test::runCommand("info", {"/no/such.so"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "quillet-host: cannot read /no/such.so: No such file or directory\n");
}

}  // namespace
