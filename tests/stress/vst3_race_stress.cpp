// The VST3 edition under two threads, for the ThreadSanitizer build: the
// audio thread processes blocks with parameter changes and tempo while the
// user-interface thread reads and sets the controller's values and texts and
// saves and restores the state (quillet-host's VST3 thread check).
//   vst3_race_stress BUNDLE.vst3 SECONDS [--host-breaks-thread-rule]
// With --host-breaks-thread-rule the host also sets controller values from
// the audio thread, which no host may do: ThreadSanitizer must report that,
// which shows the stress reaches the state both threads share.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/validate/vst3/vst3_validator.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s BUNDLE.vst3 SECONDS [--host-breaks-thread-rule]\n", argv[0]);
    return 2;
  }
  const bool breakRule = argc > 3 && std::strcmp(argv[3], "--host-breaks-thread-rule") == 0;
  std::string error, detail;
  auto module = quillet_host::vst3::Vst3Module::load(argv[1], &error);
  if (!module) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string problem =
      quillet_host::vst3::runVst3ThreadCheck(*module, std::atof(argv[2]), 1, breakRule, &detail);
  if (!problem.empty()) {
    std::fprintf(stderr, "vst3_race_stress: %s\n", problem.c_str());
    return 1;
  }
  std::printf("vst3_race_stress: %s\n", detail.c_str());
  return 0;
}
