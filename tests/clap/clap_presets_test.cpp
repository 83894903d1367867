// The factory presets as a preset browser finds and loads them: one provider,
// one location inside the plug-in, nine presets with their symbols as load
// keys, and preset-load applying one as a whole state.
#include <string>
#include <vector>

#include "core/factory_presets.h"
#include "tests/clap/clap_test_host.h"

namespace {

using quillet::test::factory;
using quillet::test::Instance;
using quillet::test::TestHost;

// An indexer and metadata receiver that write down what they are told.
struct Index {
  std::vector<clap_preset_discovery_location_t> locations;
  std::vector<std::pair<std::string, std::string>> presets;  // name, load key
  std::vector<std::string> pluginIds;                        // "abi:id"
  std::vector<uint32_t> flags;
  size_t stopAfter = 1000;  // begin_preset answers false from this preset on

  clap_preset_discovery_indexer_t indexer{
      {1, 2, 0},
      "tests",
      "",
      "",
      "1",
      this,
      [](const clap_preset_discovery_indexer_t*, const clap_preset_discovery_filetype_t*) {
        return true;
      },
      [](const clap_preset_discovery_indexer_t* i, const clap_preset_discovery_location_t* l) {
        static_cast<Index*>(i->indexer_data)->locations.push_back(*l);
        return true;
      },
      [](const clap_preset_discovery_indexer_t*, const clap_preset_discovery_soundpack_t*) {
        return true;
      },
      [](const clap_preset_discovery_indexer_t*, const char*) -> const void* { return nullptr; }};

  static Index& of(const clap_preset_discovery_metadata_receiver_t* r) {
    return *static_cast<Index*>(r->receiver_data);
  }
  clap_preset_discovery_metadata_receiver_t receiver{
      this,
      [](const clap_preset_discovery_metadata_receiver_t*, int32_t, const char*) {},
      [](const clap_preset_discovery_metadata_receiver_t* r, const char* name, const char* key) {
        Index& self = of(r);
        if (self.presets.size() >= self.stopAfter) return false;
        self.presets.emplace_back(name, key);
        return true;
      },
      [](const clap_preset_discovery_metadata_receiver_t* r, const clap_universal_plugin_id_t* id) {
        of(r).pluginIds.push_back(std::string(id->abi) + ":" + id->id);
      },
      [](const clap_preset_discovery_metadata_receiver_t*, const char*) {},
      [](const clap_preset_discovery_metadata_receiver_t* r, uint32_t f) {
        of(r).flags.push_back(f);
      },
      [](const clap_preset_discovery_metadata_receiver_t*, const char*) {},
      [](const clap_preset_discovery_metadata_receiver_t*, const char*) {},
      [](const clap_preset_discovery_metadata_receiver_t*, clap_timestamp, clap_timestamp) {},
      [](const clap_preset_discovery_metadata_receiver_t*, const char*) {},
      [](const clap_preset_discovery_metadata_receiver_t*, const char*, const char*) {}};
};

const clap_preset_discovery_provider_t* createProvider(const Index& index) {
  auto* f = factory<clap_preset_discovery_factory_t>("clap.preset-discovery-factory/2");
  if (f == nullptr || f->count(f) != 1) return nullptr;
  const clap_preset_discovery_provider_descriptor_t* d = f->get_descriptor(f, 0);
  if (d == nullptr || f->get_descriptor(f, 1) != nullptr) return nullptr;
  EXPECT_EQ(f->create(f, &index.indexer, "com.marrowledge.quillet-k3"), nullptr);
  return f->create(f, &index.indexer, d->id);
}

TEST(ClapPresetDiscovery, ListsTheNineFactoryPresetsFromInsideThePlugin) {
  Index index;
  const clap_preset_discovery_provider_t* provider = createProvider(index);
  ASSERT_NE(provider, nullptr);
  EXPECT_STREQ(provider->desc->vendor, "Marrow Ledge");
  ASSERT_TRUE(provider->init(provider));
  ASSERT_EQ(index.locations.size(), 1u);
  EXPECT_EQ(index.locations[0].kind, 1u);  // inside the plug-in
  EXPECT_EQ(index.locations[0].location, nullptr);
  EXPECT_EQ(index.locations[0].flags, 1u);  // factory content

  ASSERT_TRUE(provider->get_metadata(provider, 1, nullptr, &index.receiver));
  ASSERT_EQ(index.presets.size(), 9u);
  for (int i = 0; i < quillet::core::kNumFactoryPresets; ++i) {
    EXPECT_EQ(index.presets[i].first, quillet::core::kFactoryPresets[i].name);
    EXPECT_EQ(index.presets[i].second, quillet::core::kFactoryPresets[i].symbol);
  }
  EXPECT_EQ(index.presets.front(), (std::pair<std::string, std::string>{"Slapback", "slapback"}));
  EXPECT_EQ(index.pluginIds, std::vector<std::string>(9, "clap:com.marrowledge.quillet-k3"));
  EXPECT_EQ(index.flags, std::vector<uint32_t>(9, 1u));

  // A file location is none of ours; a receiver may stop the listing.
  EXPECT_FALSE(provider->get_metadata(provider, 0, "/tmp", &index.receiver));
  Index stopping;
  stopping.stopAfter = 3;
  EXPECT_TRUE(provider->get_metadata(provider, 1, nullptr, &stopping.receiver));
  EXPECT_EQ(stopping.presets.size(), 3u);
  EXPECT_EQ(stopping.pluginIds.size(), 3u);
  provider->destroy(provider);
}

TEST(ClapPresetLoad, LoadsAPresetByItsKeyAndTellsTheHost) {
  TestHost host;
  Instance plugin(host);
  auto* load = plugin.ext<clap_plugin_preset_load_t>("clap.preset-load/2");
  ASSERT_NE(load, nullptr);
  const quillet::core::FactoryPreset& dub = quillet::core::kFactoryPresets[5];
  ASSERT_STREQ(dub.symbol, "dub_throw");
  ASSERT_TRUE(load->from_location(plugin.get(), 1, nullptr, "dub_throw"));
  EXPECT_EQ(plugin.value(quillet::engine::kParamDelay), dub.values[quillet::engine::kParamDelay]);
  EXPECT_EQ(plugin.value(quillet::engine::kParamRepeat), dub.values[quillet::engine::kParamRepeat]);
  EXPECT_EQ(plugin.value(quillet::engine::kParamRange), 2.0);     // stored 1.0: the long range
  EXPECT_EQ(plugin.value(quillet::engine::kParamKnobDust), 0.0);  // stored 0.0
  EXPECT_EQ(host.calls.rescans, std::vector<uint32_t>{CLAP_PARAM_RESCAN_VALUES});
  EXPECT_EQ(host.calls.presetsLoaded, std::vector<std::string>{"dub_throw"});
  EXPECT_EQ(host.calls.dirtyMarks, 1);

  // Unknown keys and file locations change nothing and tell the host nothing.
  EXPECT_FALSE(load->from_location(plugin.get(), 1, nullptr, "dub"));
  EXPECT_FALSE(load->from_location(plugin.get(), 1, nullptr, nullptr));
  EXPECT_FALSE(load->from_location(plugin.get(), 0, "/tmp/slapback", "slapback"));
  EXPECT_EQ(plugin.value(quillet::engine::kParamDelay), dub.values[quillet::engine::kParamDelay]);
  EXPECT_EQ(host.calls.presetsLoaded.size(), 1u);
}

}  // namespace
