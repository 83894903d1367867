// The entry point's steps, over a factory that can fail in every way.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <vector>

#include "vst/interface/vst2_interface.h"

namespace {

std::vector<VstInt32> requests;
VstIntPtr versionAnswer = 2400;

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  requests.push_back(opcode);
  return opcode == audioMasterVersion ? versionAnswer : 0;
}

class PluginEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    handle = dlopen(FAKE_ENTRY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    entry = reinterpret_cast<VstPluginMainProc>(dlsym(handle, "VSTPluginMain"));
    legacy = reinterpret_cast<VstPluginMainProc>(dlsym(handle, "main"));
    setMode = reinterpret_cast<void (*)(int)>(dlsym(handle, "setFakeFactoryMode"));
    ASSERT_TRUE(entry && legacy && setMode);
    requests.clear();
    versionAnswer = 2400;
  }
  void TearDown() override {
    if (handle) dlclose(handle);
  }
  void* handle = nullptr;
  VstPluginMainProc entry = nullptr, legacy = nullptr;
  void (*setMode)(int) = nullptr;
};

TEST_F(PluginEntry, AsksTheVersionThenHandsOutTheRecord) {
  setMode(0);
  AEffect* effect = entry(host);
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->uniqueID, fourCharCode('F', 'a', 'k', 'e'));
  EXPECT_EQ(requests, std::vector<VstInt32>{audioMasterVersion});
  EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
  EXPECT_EQ(legacy, entry) << "main is the same code";
}

TEST_F(PluginEntry, DeclinesWithoutCallbackOrVersion) {
  EXPECT_EQ(entry(nullptr), nullptr);
  versionAnswer = 0;
  EXPECT_EQ(entry(host), nullptr);
  EXPECT_EQ(requests, std::vector<VstInt32>{audioMasterVersion});
}

TEST_F(PluginEntry, NoEffectNoExceptionOut) {
  for (int mode : {1, 2, 3}) {
    setMode(mode);
    EXPECT_EQ(entry(host), nullptr) << mode;
    EXPECT_EQ(legacy(host), nullptr) << mode;
  }
}

}  // namespace
