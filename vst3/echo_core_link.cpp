// The seam over today's effect object, the same one the LV2 library drives:
// created without a host callback, so it sends nothing to any host. When the
// format-free core object lands, this file alone moves over to it.
#include "vst3/echo_core_link.h"

#include <cmath>
#include <cstring>
#include <new>

#include "framework/brindle_fx.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

namespace quillet::vst3 {

namespace {

// The same rule the LV2 library applies until the core owns one: the
// shortest echo must be at least one sample long.
bool usableRate(double rate) { return std::isfinite(rate) && rate * 0.03 >= 1.0 && rate <= 1e7; }

float readLittleEndianFloat(const uint8_t* p) {
  const uint32_t bits =
      uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void writeLittleEndianFloat(float value, uint8_t* p) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace

bool decodeEchoState(const uint8_t* bytes, size_t size, float values[kEchoParamCount]) {
  if (!bytes || size < kEchoStateBytes) return false;
  float decoded[kEchoParamCount];
  for (int32_t i = 0; i < kEchoParamCount; ++i) {
    decoded[i] = readLittleEndianFloat(bytes + 4 * i);
    // NaN fails both comparisons.
    if (!(decoded[i] >= 0.0f && decoded[i] <= 1.0f)) return false;
  }
  std::memcpy(values, decoded, sizeof decoded);
  return true;
}

void encodeEchoState(const float values[kEchoParamCount], uint8_t out[kEchoStateBytes]) {
  for (int32_t i = 0; i < kEchoParamCount; ++i) writeLittleEndianFloat(values[i], out + 4 * i);
}

struct EchoCoreLink::Impl {
  BrindleFX* effect = nullptr;
  bool haveRate = false;
  ~Impl() { delete effect; }
};

std::unique_ptr<EchoCoreLink> EchoCoreLink::create() {
  std::unique_ptr<Impl> impl(new (std::nothrow) Impl);
  if (!impl) return nullptr;
  // The effect is always ours, a BrindleFX.
  impl->effect = static_cast<BrindleFX*>(createEffectInstance(nullptr));
  if (!impl->effect) return nullptr;
  return std::unique_ptr<EchoCoreLink>(new (std::nothrow) EchoCoreLink(std::move(impl)));
}

EchoCoreLink::EchoCoreLink(std::unique_ptr<Impl> impl) : impl(std::move(impl)) {}
EchoCoreLink::~EchoCoreLink() = default;

bool EchoCoreLink::setSampleRate(double rate) {
  if (!usableRate(rate)) return false;
  impl->effect->setSampleRate(static_cast<float>(rate));
  impl->haveRate = true;
  return true;
}

bool EchoCoreLink::hasSampleRate() const { return impl->haveRate; }

void EchoCoreLink::storeParameter(int32_t index, float value) {
  if (std::isnan(value)) return;
  impl->effect->setParameter(index, value);
}

float EchoCoreLink::parameterValue(int32_t index) const {
  return impl->effect->getParameter(index);
}

void EchoCoreLink::restart() {
  if (impl->haveRate) impl->effect->restartOnStoredValues();
}

void EchoCoreLink::process(const float* const* in, float* const* out, uint32_t frames) {
  if (!impl->haveRate || frames == 0) return;
  impl->effect->processReplacing(const_cast<float**>(in), const_cast<float**>(out),
                                 static_cast<VstInt32>(frames));
}

void EchoCoreLink::process(const double* const* in, double* const* out, uint32_t frames) {
  if (!impl->haveRate || frames == 0) return;
  impl->effect->processDoubleReplacing(const_cast<double**>(in), const_cast<double**>(out),
                                       static_cast<VstInt32>(frames));
}

void EchoCoreLink::saveState(uint8_t out[kEchoStateBytes]) const {
  float values[kEchoParamCount];
  for (int32_t i = 0; i < kEchoParamCount; ++i) values[i] = impl->effect->getParameter(i);
  encodeEchoState(values, out);
}

bool EchoCoreLink::loadState(const uint8_t* bytes, size_t size) {
  float values[kEchoParamCount];
  if (!decodeEchoState(bytes, size, values)) return false;
  // The effect's own restore: eleven stores in index order.
  uint8_t chunk[kEchoStateBytes];
  std::memcpy(chunk, bytes, kEchoStateBytes);
  impl->effect->setChunk(chunk, static_cast<VstInt32>(kEchoStateBytes), false);
  return true;
}

}  // namespace quillet::vst3
