#include "host/plugin/clap/clap_threads.h"

#include <cstdlib>

namespace quillet::host {
namespace {

// The host objects whose audio role this thread holds, each with how many
// AudioRole objects hold it; a few at once (two instances processing on one
// thread), without allocating on the audio thread.
struct HeldRole {
  const ClapThreads* threads;
  int depth;
};
constexpr int kMostRolesHeld = 16;
thread_local HeldRole held[kMostRolesHeld] = {};

HeldRole* find(const ClapThreads* threads) {
  for (HeldRole& h : held)
    if (h.threads == threads && h.depth > 0) return &h;
  return nullptr;
}

}  // namespace

bool ClapThreads::onAudioThread() const { return find(this) != nullptr; }

ClapThreads::AudioRole::AudioRole(ClapThreads& threads) : threads(threads) {
  if (HeldRole* h = find(&threads)) {
    ++h->depth;
    return;
  }
  for (HeldRole& h : held) {
    if (h.depth > 0) continue;
    h = {&threads, 1};
    if (threads.holders.fetch_add(1) > 0) threads.shared = true;
    return;
  }
  std::abort();  // more instances processing on one thread than this host keeps
}

ClapThreads::AudioRole::~AudioRole() {
  HeldRole* h = find(&threads);
  if (!h || --h->depth > 0) return;
  h->threads = nullptr;
  threads.holders.fetch_sub(1);
}

}  // namespace quillet::host
