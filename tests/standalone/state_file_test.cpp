// The state file: where it lives, what is read from it (all or nothing, and
// nothing from a file that is not a state), and how it is replaced.
#include "standalone/state_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "core/state_codec.h"

namespace {

using quillet::standalone::readStateFile;
using quillet::standalone::StateRead;
using quillet::standalone::writeStateFile;

class StateFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quillet-k3-state-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }
  void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string folder;
};

TEST_F(StateFileTest, TheDefaultPathHonoursXdgConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string keep = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
  EXPECT_EQ(quillet::standalone::defaultStatePath(), "/somewhere/config/quillet-k3/standalone");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as XDG has it
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  if (!home.empty() && home[0] == '/') {
    EXPECT_EQ(quillet::standalone::defaultStatePath(), home + "/.config/quillet-k3/standalone");
  }
  if (saved)
    setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(StateFileTest, SavedAndRestoredAsThePluginsState) {
  quillet::core::EchoCore core;
  for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i)
    core.setParameter(i, 0.05f * (i + 1));
  const std::string path = folder + "/new/folder/standalone";
  ASSERT_TRUE(writeStateFile(path, core));
  uint8_t expected[quillet::core::kStateBytes];
  core.saveState(expected);
  EXPECT_EQ(read(path), std::string(reinterpret_cast<char*>(expected), sizeof expected));
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 44);

  quillet::core::EchoCore restored;
  std::string why;
  EXPECT_EQ(readStateFile(path, restored, &why), StateRead::kLoaded);
  for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i)
    EXPECT_EQ(restored.parameter(i), core.parameter(i));
  // Written whole: no temporary file is left beside it.
  EXPECT_EQ(std::system(("test $(ls -A '" + folder + "/new/folder' | wc -l) = 1").c_str()), 0);
}

TEST_F(StateFileTest, ALinkKeepsPointingAtTheFileItNames) {
  const std::string target = folder + "/real", link = folder + "/link";
  write(target, std::string(44, '\0'));
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  quillet::core::EchoCore core;
  core.setParameter(quillet::engine::kParamLevel, 0.25f);
  ASSERT_TRUE(writeStateFile(link, core));
  struct stat info;
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(read(target).size(), 44u);
  EXPECT_NE(read(target), std::string(44, '\0'));
}

TEST_F(StateFileTest, AMissingFileChangesNothing) {
  quillet::core::EchoCore core;
  std::string why;
  EXPECT_EQ(readStateFile(folder + "/none", core, &why), StateRead::kMissing);
  EXPECT_EQ(readStateFile(folder + "/none/deeper", core, &why), StateRead::kMissing);
  for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i)
    EXPECT_EQ(core.parameter(i), quillet::core::kQuilletParams[i].defaultValue);
}

TEST_F(StateFileTest, WhatIsNotAStateIsRefusedWhole) {
  quillet::core::StateValues withNan;
  for (float& v : withNan) v = 0.5f;
  withNan[4] = NAN;
  uint8_t nanBytes[quillet::core::kStateBytes];
  quillet::core::encodeState(withNan, nanBytes);
  const struct {
    std::string bytes;
    const char* why;
  } cases[] = {{"", "not a saved state (0 bytes, not 44)"},
               {std::string(43, 'x'), "not a saved state (43 bytes, not 44)"},
               {std::string(45, '\0'), "longer than a saved state (44 bytes)"},
               {std::string(reinterpret_cast<char*>(nanBytes), sizeof nanBytes),
                "not a saved state (a value is not a number)"}};
  for (const auto& c : cases) {
    const std::string path = folder + "/bad";
    write(path, c.bytes);
    quillet::core::EchoCore core;
    std::string why;
    EXPECT_EQ(readStateFile(path, core, &why), StateRead::kRefused) << c.why;
    EXPECT_EQ(why, c.why);
    for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i)
      EXPECT_EQ(core.parameter(i), quillet::core::kQuilletParams[i].defaultValue) << c.why;
  }
  quillet::core::EchoCore core;
  std::string why;
  EXPECT_EQ(readStateFile(folder, core, &why), StateRead::kRefused);  // a folder
  EXPECT_EQ(why, "not a readable file");
}

}  // namespace
