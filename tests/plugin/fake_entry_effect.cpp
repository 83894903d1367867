// The real entry point over an effect factory the test steers: it may hand out
// an effect, nothing, or throw.
#include <new>
#include <stdexcept>

#include "vst/audio_effect_x.h"

namespace {

int factoryMode = 0;

class FakeEffect : public AudioEffectX {
 public:
  explicit FakeEffect(audioMasterCallback host) : AudioEffectX(host, 0, 1) {
    setUniqueID(fourCharCode('F', 'a', 'k', 'e'));
  }
  void processReplacing(float**, float**, VstInt32) override {}
};

}  // namespace

extern "C" __attribute__((visibility("default"))) void setFakeFactoryMode(int mode) {
  factoryMode = mode;
}

AudioEffect* createEffectInstance(audioMasterCallback host) {
  switch (factoryMode) {
    case 0:
      return new FakeEffect(host);
    case 1:
      return nullptr;  // the effect could not take its table
    case 2:
      throw std::bad_alloc();
    default:
      throw std::runtime_error("anything else");
  }
}
