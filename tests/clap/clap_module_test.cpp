// The .clap loaded as a host loads it: the entry, the factory and its one
// descriptor, the extensions it answers, its ports and its parameters.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "clap/interface/clap_gui.h"
#include "core/param_table.h"
#include "tests/clap/clap_test_host.h"

extern "C" size_t quilletClapLayoutSizesFromC(void);

namespace {

using quillet::test::factory;
using quillet::test::Instance;
using quillet::test::TestHost;

TEST(ClapEntry, DeclaresAStableVersionAndOffersOnlyItsTwoFactories) {
  const clap_plugin_entry_t* entry = quillet::test::moduleEntry();
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->clap_version.major, 1u);
  EXPECT_EQ(entry->clap_version.minor, 2u);
  EXPECT_NE(entry->get_factory("clap.plugin-factory"), nullptr);
  const void* presets = entry->get_factory("clap.preset-discovery-factory/2");
  EXPECT_NE(presets, nullptr);
  EXPECT_EQ(entry->get_factory("clap.preset-discovery-factory/draft-2"), presets);
  EXPECT_EQ(entry->get_factory("clap.preset-discovery-factory/draft-1"), nullptr);
  EXPECT_EQ(entry->get_factory("clap.plugin-factory "), nullptr);
  EXPECT_EQ(entry->get_factory(nullptr), nullptr);
  // A second init/deinit pair, as a wrapper in the same process would make.
  EXPECT_TRUE(entry->init(QUILLET_CLAP_PATH));
  entry->deinit();
  EXPECT_NE(entry->get_factory("clap.plugin-factory"), nullptr);
}

TEST(ClapFactory, DescribesOneStereoDelayEffect) {
  auto* f = factory<clap_plugin_factory_t>("clap.plugin-factory");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->get_plugin_count(f), 1u);
  EXPECT_EQ(f->get_plugin_descriptor(f, 1), nullptr);
  const clap_plugin_descriptor_t* d = f->get_plugin_descriptor(f, 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->clap_version.major, 1u);
  EXPECT_STREQ(d->id, "com.marrowledge.quillet-k3");
  EXPECT_STREQ(d->name, "Quillet K3");
  EXPECT_STREQ(d->vendor, "Marrow Ledge");
  EXPECT_STREQ(d->version, QUILLET_EXPECTED_VERSION);
  EXPECT_EQ(std::strncmp(d->url, "https://", 8), 0);
  std::vector<std::string> features;
  for (const char* const* f = d->features; *f != nullptr; ++f) features.push_back(*f);
  EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "delay", "stereo"}));
}

TEST(ClapFactory, CreatesOnlyItsOwnIdForAStableHost) {
  auto* f = factory<clap_plugin_factory_t>("clap.plugin-factory");
  TestHost host;
  EXPECT_EQ(f->create_plugin(f, host.host(), "com.marrowledge.quillet"), nullptr);
  EXPECT_EQ(f->create_plugin(f, host.host(), nullptr), nullptr);
  EXPECT_EQ(f->create_plugin(f, nullptr, "com.marrowledge.quillet-k3"), nullptr);
  clap_host_t development = *host.host();
  development.clap_version = {0, 19, 0};
  EXPECT_EQ(f->create_plugin(f, &development, "com.marrowledge.quillet-k3"), nullptr);
}

TEST(ClapPlugin, AnswersItsExtensionsByTheirPublishedIds) {
  TestHost host;
  Instance plugin(host);
  ASSERT_NE(plugin.get(), nullptr);
  EXPECT_STREQ(plugin.get()->desc->id, "com.marrowledge.quillet-k3");
  for (const char* id : {"clap.audio-ports", "clap.params", "clap.state", "clap.latency",
                         "clap.tail", "clap.preset-load/2", "clap.preset-load.draft/2", "clap.gui",
                         "clap.timer-support", "clap.posix-fd-support"}) {
    EXPECT_NE(plugin.get()->get_extension(plugin.get(), id), nullptr) << id;
  }
  for (const char* id : {"clap.note-ports", "clap.audio-ports-config", "clap.params.draft", ""}) {
    EXPECT_EQ(plugin.get()->get_extension(plugin.get(), id), nullptr) << id;
  }
  auto* latency = plugin.ext<clap_plugin_latency_t>("clap.latency");
  EXPECT_EQ(latency->get(plugin.get()), 0u);
}

TEST(ClapGui, EmbedsInX11AndNeedsTheHostsTimersAndDescriptorWatch) {
  TestHost host;  // offers neither timer-support nor posix-fd-support
  Instance plugin(host);
  auto* gui = plugin.ext<clap_plugin_gui_t>("clap.gui");
  const clap_plugin_t* p = plugin.get();
  // Scanners ask with a host like this one: the answer is the window system's.
  EXPECT_TRUE(gui->is_api_supported(p, "x11", false));
  EXPECT_FALSE(gui->is_api_supported(p, "x11", true));
  EXPECT_FALSE(gui->is_api_supported(p, "win32", false));
  EXPECT_FALSE(gui->is_api_supported(p, "wayland", false));
  EXPECT_FALSE(gui->is_api_supported(p, nullptr, false));
  const char* api = nullptr;
  bool floating = true;
  ASSERT_TRUE(gui->get_preferred_api(p, &api, &floating));
  EXPECT_STREQ(api, "x11");
  EXPECT_FALSE(floating);
  // Without the host's loop the panel could not run: no panel.
  EXPECT_FALSE(gui->create(p, "x11", false));
  uint32_t w = 0, h = 0;
  EXPECT_FALSE(gui->get_size(p, &w, &h));
  EXPECT_FALSE(gui->set_scale(p, 2.0));
  EXPECT_FALSE(gui->can_resize(p));
  gui->destroy(p);  // harmless without a panel
}

TEST(ClapPlugin, HasOneStereoPortEachWaySharingBuffersAndSampleSize) {
  TestHost host;
  Instance plugin(host);
  auto* ports = plugin.ext<clap_plugin_audio_ports_t>("clap.audio-ports");
  for (bool input : {true, false}) {
    EXPECT_EQ(ports->count(plugin.get(), input), 1u);
    clap_audio_port_info_t info;
    EXPECT_FALSE(ports->get(plugin.get(), 1, input, &info));
    ASSERT_TRUE(ports->get(plugin.get(), 0, input, &info));
    EXPECT_EQ(info.id, 0u);
    EXPECT_STREQ(info.name, input ? "Stereo In" : "Stereo Out");
    EXPECT_EQ(info.channel_count, 2u);
    EXPECT_STREQ(info.port_type, "stereo");
    EXPECT_EQ(info.flags, 1u | 2u | 8u);  // main, 64-bit capable, common sample size
    EXPECT_EQ(info.in_place_pair, 0u);
  }
}

TEST(ClapParams, ListTheTableWithStableIdsRangesAndFlags) {
  TestHost host;
  Instance plugin(host);
  const clap_plugin_params_t* params = plugin.params();
  ASSERT_EQ(params->count(plugin.get()), 11u);
  // name, max, default, flags: automatable 32, stepped 1, enum 65536
  struct Expected {
    const char* name;
    double max;
    double defaultValue;
    uint32_t flags;
  };
  const Expected expected[] = {
      {"Delay", 1, 0, 32},    {"Repeat", 1, 0, 32},      {"Level", 1, 0, 32},
      {"Range", 2, 1, 65569}, {"Mute", 1, 0, 33},        {"Dry", 1, 1, 32},
      {"Pan", 1, 0.5, 32},    {"X-Feed", 1, 0, 32},      {"Mono Out", 1, 0, 33},
      {"KnobDust", 1, 1, 33}, {"PingPong", 2, 0, 65569},
  };
  for (uint32_t i = 0; i < 11; ++i) {
    clap_param_info_t info;
    std::memset(&info, 0x5a, sizeof(info));
    ASSERT_TRUE(params->get_info(plugin.get(), i, &info));
    EXPECT_EQ(info.id, i);
    EXPECT_STREQ(info.name, expected[i].name);
    EXPECT_STREQ(info.module, "");
    EXPECT_EQ(info.min_value, 0.0);
    EXPECT_EQ(info.max_value, expected[i].max) << info.name;
    EXPECT_EQ(info.default_value, expected[i].defaultValue) << info.name;
    EXPECT_EQ(info.flags, expected[i].flags) << info.name;
    EXPECT_EQ(plugin.value(i), expected[i].defaultValue) << info.name;
  }
  clap_param_info_t info;
  EXPECT_FALSE(params->get_info(plugin.get(), 11, &info));
  double v = 0;
  EXPECT_FALSE(params->get_value(plugin.get(), 11, &v));
  EXPECT_FALSE(params->get_value(plugin.get(), CLAP_INVALID_ID, &v));
}

std::string text(const Instance& plugin, clap_id id, double value, uint32_t capacity = 64) {
  char buffer[64] = "untouched";
  if (!plugin.params()->value_to_text(plugin.get(), id, value, buffer, capacity)) return "<false>";
  return buffer;
}

TEST(ClapParams, TextsAreTheMusiciansAndReadBack) {
  TestHost host;
  Instance plugin(host);
  EXPECT_EQ(text(plugin, quillet::engine::kParamMute, 1), "on");
  EXPECT_EQ(text(plugin, quillet::engine::kParamMute, 0.99), "off");  // stepped: truncated
  EXPECT_EQ(text(plugin, quillet::engine::kParamRange, 0), "30-160 ms");
  EXPECT_EQ(text(plugin, quillet::engine::kParamRange, 1.7), "120-650 ms");
  EXPECT_EQ(text(plugin, quillet::engine::kParamPingPong, 5), "pong");  // clamped to the range
  EXPECT_EQ(text(plugin, quillet::engine::kParamLevel, 0.25), "25.0 %");
  EXPECT_EQ(text(plugin, quillet::engine::kParamPan, 0.3), "L 40");
  // "Delay" in ms for the stored "Range" (the middle one here) and, once
  // active, the whole samples of the line at the rate.
  EXPECT_EQ(text(plugin, quillet::engine::kParamDelay, 0.5), "252.5 ms");
  ASSERT_TRUE(plugin.get()->activate(plugin.get(), 48000, 1, 512));
  EXPECT_EQ(text(plugin, quillet::engine::kParamDelay, 0.6936), "375.0 ms");
  plugin.get()->deactivate(plugin.get());
  EXPECT_EQ(text(plugin, quillet::engine::kParamDelay, 0.25, 5),
            "<false>");  // too small for the text
  EXPECT_EQ(text(plugin, quillet::engine::kParamDelay, std::nan("")), "<false>");
  EXPECT_EQ(text(plugin, 11, 0), "<false>");

  const auto value = [&](clap_id id, const char* t) {
    double v = -1;
    return plugin.params()->text_to_value(plugin.get(), id, t, &v) ? v : -1.0;
  };
  EXPECT_EQ(value(quillet::engine::kParamMute, "on"), 1.0);
  EXPECT_EQ(value(quillet::engine::kParamKnobDust, "off"), 0.0);
  EXPECT_EQ(value(quillet::engine::kParamRange, "480-2600 ms"), 2.0);
  EXPECT_EQ(value(quillet::engine::kParamPingPong, "ping"), 1.0);
  EXPECT_EQ(value(quillet::engine::kParamLevel, "25 %"), 0.25f);
  EXPECT_EQ(value(quillet::engine::kParamLevel, "250"), 1.0);  // out of range: clamped
  EXPECT_EQ(value(quillet::engine::kParamDelay, "0.3x"), -1.0);
  EXPECT_EQ(value(quillet::engine::kParamDelay, "nan"), -1.0);
  EXPECT_EQ(value(quillet::engine::kParamDelay, ""), -1.0);
  EXPECT_EQ(value(11, "0"), -1.0);
  // Every value's text reads back to a value with the same text.
  for (clap_id id = 0; id < 11; ++id) {
    for (double v : {0.0, 0.13, 0.5, 0.77, 1.0, 2.0}) {
      const std::string shown = text(plugin, id, v);
      const double back = value(id, shown.c_str());
      ASSERT_GE(back, 0.0) << id << " " << shown;
      EXPECT_EQ(text(plugin, id, back), shown) << id;
    }
  }
}

TEST(ClapAbi, CAndCxxLayOutTheDeclarationsAlike) {
  const size_t fromCxx = sizeof(clap_plugin_t) + sizeof(clap_host_t) + sizeof(clap_process_t) +
                         sizeof(clap_event_transport_t) + sizeof(clap_param_info_t) +
                         sizeof(clap_audio_port_info_t) + sizeof(clap_window_t) +
                         sizeof(clap_preset_discovery_indexer_t);
  EXPECT_EQ(quilletClapLayoutSizesFromC(), fromCxx);
}

}  // namespace
