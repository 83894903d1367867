// The built plug-ins when the allocator runs dry, seen as a host sees them:
// this program replaces malloc, so the plug-in's own operator new throws
// std::bad_alloc at the allocation chosen. Nothing may leave the dispatcher,
// nothing may stay allocated, and the effect stays usable.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/plugin/failing_malloc.h"
#include "tests/plugin/loaded_plugin.h"

namespace {

const PluginBuild kEditorBuild{QTAPG_PATH, "Quillet K3", true};
const PluginBuild kPlainBuild{QTAP_PATH, "Quillet K3 (no GUI)", false};

TEST(PluginOutOfMemory, EditorOpenFailingAtEveryAllocationStaysClosed) {
  auto plugin = makeInstance(kEditorBuild.path);
  ASSERT_TRUE(plugin);
  plugin->host().setRecording(false);  // the host's answers allocate nothing
  ERect* rect = nullptr;
  ASSERT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);

  // No parent window: the panel is built in full and then not shown, so each
  // round reaches one allocation further before the one that fails.
  long rounds = 0;
  for (long failAt = 0;; ++failAt, ++rounds) {
    quillet::test::arm(failAt);
    const VstIntPtr opened = plugin->dispatch(effEditOpen, 0, 0, nullptr);
    const quillet::test::Seen seen = quillet::test::disarm();
    EXPECT_EQ(opened, 0) << "allocation " << failAt;
    EXPECT_EQ(seen.allocations, seen.releases) << "left allocated after allocation " << failAt;
    if (!seen.failed) break;  // the whole panel was built this time
    ASSERT_LT(failAt, 100000) << "the panel never stops allocating";
  }
  EXPECT_GT(rounds, 20) << "the panel should need many allocations";
  std::printf("effEditOpen failed at each of its %ld allocations\n", rounds);

  // Still the same effect: editor requests and parameters work.
  EXPECT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->right, 586);
  EXPECT_EQ(plugin->dispatch(effEditIdle), 0);
  EXPECT_EQ(plugin->dispatch(effEditKeyDown, 65, 3, nullptr, 0.0f), 0);
  plugin->effect()->setParameter(plugin->effect(), 2, 0.75f);
  EXPECT_EQ(plugin->effect()->getParameter(plugin->effect(), 2), 0.75f);
  EXPECT_EQ(plugin->dispatch(effEditClose), 0);
}

TEST(PluginOutOfMemory, GetChunkAllocatesNothing) {
  for (const PluginBuild& build : {kEditorBuild, kPlainBuild}) {
    auto plugin = makeInstance(build.path);
    ASSERT_TRUE(plugin);
    plugin->host().setRecording(false);
    void* chunk = nullptr;
    quillet::test::arm();
    const VstIntPtr size = plugin->dispatch(effGetChunk, 0, 0, &chunk);
    const quillet::test::Seen seen = quillet::test::disarm();
    EXPECT_EQ(size, 44) << build.path;
    EXPECT_NE(chunk, nullptr) << build.path;
    EXPECT_EQ(seen.allocations, 0) << "first getChunk of " << build.path;
  }
}

VstIntPtr versionOnlyHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

TEST(PluginOutOfMemory, EntryPointFailingAtEveryAllocationLeavesNothing) {
  // An effect or null, never an exception and never a half-made effect.
  for (const PluginBuild& build : {kEditorBuild, kPlainBuild}) {
    const VstPluginMainProc entry = loadedLibrary(build.path).entry();
    ASSERT_NE(entry, nullptr);
    // The library's run-time keeps what it sets up at its first exception:
    // one round unchecked.
    quillet::test::arm(0);
    if (AEffect* effect = entry(versionOnlyHost))
      effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    quillet::test::disarm();
    long rounds = 0;
    for (long failAt = 0;; ++failAt, ++rounds) {
      quillet::test::arm(failAt);
      AEffect* effect = entry(versionOnlyHost);
      const quillet::test::Seen seen = quillet::test::disarm();
      if (!effect) {
        EXPECT_TRUE(seen.failed);
        EXPECT_EQ(seen.allocations, seen.releases) << build.path << " allocation " << failAt;
        continue;
      }
      ASSERT_EQ(effect->magic, kEffectMagic);
      void* chunk = nullptr;
      EXPECT_EQ(effect->dispatcher(effect, effGetChunk, 0, 0, &chunk, 0.0f), 44);
      effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
      if (!seen.failed) break;
      ASSERT_LT(failAt, 100000);
    }
    EXPECT_GT(rounds, 1) << build.path;
  }
}

}  // namespace
