// Which thread a CLAP call comes from, as quillet-host answers the plug-in's
// thread-check: the main thread is the one that made the host object; the
// audio thread is a role any thread holds while an AudioRole of it lives
// (CLAP allows the main thread to hold it too, never two threads at once).
#pragma once

#include <atomic>
#include <thread>

namespace quillet::host {

class ClapThreads {
 public:
  ClapThreads() : main(std::this_thread::get_id()) {}

  bool onMainThread() const { return std::this_thread::get_id() == main; }
  bool onAudioThread() const;

  // The audio role for the calling thread while it lives.
  class AudioRole {
   public:
    explicit AudioRole(ClapThreads& threads);
    ~AudioRole();
    AudioRole(const AudioRole&) = delete;
    AudioRole& operator=(const AudioRole&) = delete;

   private:
    ClapThreads& threads;
  };

  // True once two threads held the role at the same time (a fault of the
  // host's own code that the checks would hide).
  bool roleWasShared() const { return shared.load(std::memory_order_relaxed); }

 private:
  std::thread::id main;
  std::atomic<int> holders{0};
  std::atomic<bool> shared{false};
};

}  // namespace quillet::host
