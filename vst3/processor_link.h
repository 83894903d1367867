// What the controller needs from the processor and cannot have as a
// parameter: the host's tempo (the panel's note keys) and the sample rate
// ("Delay" shown in milliseconds, whole samples). Both classes live in one
// process (the module's classes are not distributable), so they share one
// ProcessorLink: the processor writes it, on the audio thread (tempo) and the
// user-interface thread (rate); the controller reads it on the
// user-interface thread. Plain atomics: nobody waits.
//
// The controller finds the link by a token the processor sends it when the
// host connects the two (a host may put a proxy between them, which passes
// messages on unchanged). The registry is touched only on the user-interface
// thread, when connecting and disconnecting, never while audio runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace quillet::vst3 {

struct ProcessorLink {
  // Beats per minute the host gave with the last block; 0 when none.
  std::atomic<double> tempo{0.0};
  // The rate the processor was set up for; 0 before.
  std::atomic<double> sampleRate{0.0};
};

// The message and attribute that carry the token.
constexpr const char* kLinkMessageId = "QuilletK3Link";
constexpr const char* kLinkTokenAttribute = "token";

// A new link, findable by the token it answers until it is withdrawn.
int64_t publishLink(const std::shared_ptr<ProcessorLink>& link);
// The link of a token, or null for one never published or withdrawn.
std::shared_ptr<ProcessorLink> findLink(int64_t token);
void withdrawLink(int64_t token);

}  // namespace quillet::vst3
