#include "host/plugin/clap/clap_threads.h"

namespace vsthost {
namespace {

// The host object whose audio role this thread holds, if any.
thread_local const ClapThreads* roleOf = nullptr;

}  // namespace

bool ClapThreads::onAudioThread() const { return roleOf == this; }

ClapThreads::AudioRole::AudioRole(ClapThreads& threads) : threads(threads), previous(roleOf) {
  if (previous != &threads && threads.holders.fetch_add(1) > 0) threads.shared = true;
  roleOf = &threads;
}

ClapThreads::AudioRole::~AudioRole() {
  roleOf = previous;
  if (previous != &threads) threads.holders.fetch_sub(1);
}

}  // namespace vsthost
