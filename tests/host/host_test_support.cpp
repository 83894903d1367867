#include "host_test_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace hosttest {

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/vst2host-test-XXXXXX";
  const char* made = mkdtemp(pattern);
  EXPECT_NE(made, nullptr);
  path = made ? made : "/tmp";
}

ScratchDir::~ScratchDir() {
  for (const std::string& name : list()) std::remove(file(name).c_str());
  rmdir(path.c_str());
}

std::vector<std::string> ScratchDir::list() const {
  std::vector<std::string> names;
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* entry = readdir(d)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  return names;
}

bool fileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace hosttest
