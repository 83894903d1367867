#include "host_test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quillet::test {

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/quillet-host-test-XXXXXX";
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

namespace {
std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
}  // namespace

RunningHost startHost(const std::vector<std::string>& args) {
  RunningHost host;
  char pattern[] = "/tmp/quillet-host-run-XXXXXX";
  const char* folder = mkdtemp(pattern);
  EXPECT_NE(folder, nullptr);
  host.outPath = std::string(folder ? folder : "/tmp") + "/out";
  host.errPath = std::string(folder ? folder : "/tmp") + "/err";
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    // A render that runs away ends with SIGXFSZ instead of filling the disk.
    const rlimit fileSize{256u << 20, 256u << 20};
    setrlimit(RLIMIT_FSIZE, &fileSize);
    const int out = ::open(host.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(host.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(VST2_HOST));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(VST2_HOST, argv.data());
    _exit(127);
  }
  host.pid = pid;
  return host;
}

CommandResult stopHost(const RunningHost& host) {
  int status = 0;
  waitpid(host.pid, &status, 0);
  CommandResult r{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                  slurp(host.outPath), slurp(host.errPath)};
  std::remove(host.outPath.c_str());
  std::remove(host.errPath.c_str());
  const size_t slash = host.outPath.rfind('/');
  rmdir(host.outPath.substr(0, slash).c_str());
  return r;
}

CommandResult runHost(const std::vector<std::string>& args) { return stopHost(startHost(args)); }

bool fileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace quillet::test
