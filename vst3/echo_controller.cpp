#include "vst3/echo_controller.h"

#include <cmath>
#include <new>

#include "core/param_value.h"
#include "core/state_codec.h"
#include "vst3/parameter_ids.h"
#include "vst3/parameter_text.h"
#include "vst3/stream_io.h"

namespace quillet::vst3 {

namespace {

void toUtf16(const char* from, String128 to) {
  int i = 0;
  for (; from[i] && i < 127; ++i) to[i] = static_cast<char16>(static_cast<unsigned char>(from[i]));
  for (; i < 128; ++i) to[i] = 0;
}

// ASCII only: every text we accept is plain ASCII.
bool fromUtf16(const TChar* from, char* to, size_t size) {
  size_t i = 0;
  for (; from[i]; ++i) {
    if (i + 1 >= size || from[i] > 0x7F) return false;
    to[i] = static_cast<char>(from[i]);
  }
  to[i] = 0;
  return true;
}

double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

}  // namespace

FUnknown* EchoController::create() {
  auto* controller = new (std::nothrow) EchoController;
  return controller ? static_cast<IEditController*>(controller) : nullptr;
}

EchoController::EchoController() {
  for (int32 i = 0; i < parameterCount(); ++i) values[i] = parameterAt(i)->defaultValue;
}

EchoController::~EchoController() = default;

uint32 EchoController::release() {
  const uint32 left = refs.drop();
  if (left == 0) delete this;
  return left;
}

tresult EchoController::queryInterface(const char8* iidBytes, void** obj) {
  if (!obj || !iidBytes) return kInvalidArgument;
  if (FUnknown::iid.equals(iidBytes) || IPluginBase::iid.equals(iidBytes)) {
    addRef();
    *obj = static_cast<IEditController*>(this);
    return kResultOk;
  }
  if (offerInterface<IEditController>(iidBytes, this, obj) ||
      offerInterface<IConnectionPoint>(iidBytes, this, obj))
    return kResultOk;
  return noInterface(obj);
}

tresult EchoController::initialize(FUnknown* /*context*/) { return kResultOk; }

tresult EchoController::terminate() {
  handler = nullptr;  // never owned: the host keeps it alive while it is set
  peer = nullptr;
  return kResultOk;
}

int32 EchoController::slotOf(ParamID id) {
  const int32 index = echoIndexOf(id);
  if (index >= 0) return index;
  return id == kBypassParamId ? kNumQuilletParams : -1;
}

tresult EchoController::setComponentState(IBStream* state) {
  uint8 bytes[kStateBytes + 1];
  if (readStream(state, bytes, sizeof bytes) != kStateBytes) return kResultFalse;
  StateValues decoded;
  decodeState(bytes, decoded);
  for (float v : decoded)
    if (std::isnan(v)) return kResultFalse;
  for (int32 i = 0; i < kNumQuilletParams; ++i) values[i] = clampStoredValue(decoded[i]);
  return kResultOk;
}

// The controller keeps nothing of its own beyond the component's state.
tresult EchoController::setState(IBStream* /*state*/) { return kResultOk; }
tresult EchoController::getState(IBStream* /*state*/) { return kResultOk; }

int32 EchoController::getParameterCount() { return parameterCount(); }

tresult EchoController::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
  const ParameterFacts* p = parameterAt(paramIndex);
  if (!p) return kInvalidArgument;
  info.id = p->id;
  toUtf16(p->name, info.title);
  toUtf16(p->name, info.shortTitle);
  toUtf16(p->label, info.units);
  info.stepCount = p->stepCount;
  info.defaultNormalizedValue = p->defaultValue;
  info.unitId = kRootUnitId;
  info.flags = ParameterInfo::kCanAutomate;
  if (p->id == kBypassParamId) info.flags |= ParameterInfo::kIsBypass;
  if (p->stepCount == 2) info.flags |= ParameterInfo::kIsList;
  return kResultOk;
}

tresult EchoController::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                              String128 string) {
  const ParameterFacts* p = parameterById(id);
  if (!p || !string || std::isnan(valueNormalized)) return kInvalidArgument;
  char text[128];
  formatValue(*p, clamp01(valueNormalized), text, sizeof text);
  toUtf16(text, string);
  return kResultOk;
}

tresult EchoController::getParamValueByString(ParamID id, TChar* string,
                                              ParamValue& valueNormalized) {
  const ParameterFacts* p = parameterById(id);
  char text[128];
  double value = 0;
  if (!p || !string || !fromUtf16(string, text, sizeof text) || !parseValue(*p, text, &value))
    return kResultFalse;
  valueNormalized = value;
  return kResultOk;
}

ParamValue EchoController::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
  const ParameterFacts* p = parameterById(id);
  if (!p || p->stepCount == 0) return valueNormalized;
  return std::floor(clamp01(valueNormalized) * p->stepCount + 0.5);
}

ParamValue EchoController::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  const ParameterFacts* p = parameterById(id);
  if (!p || p->stepCount == 0) return plainValue;
  return clamp01(plainValue / p->stepCount);
}

ParamValue EchoController::getParamNormalized(ParamID id) {
  const int32 slot = slotOf(id);
  return slot < 0 ? 0.0 : values[slot];
}

tresult EchoController::setParamNormalized(ParamID id, ParamValue value) {
  const int32 slot = slotOf(id);
  if (slot < 0 || std::isnan(value)) return kInvalidArgument;
  values[slot] = clamp01(value);
  return kResultOk;
}

tresult EchoController::setComponentHandler(IComponentHandler* newHandler) {
  handler = newHandler;
  return kResultOk;
}

IPlugView* EchoController::createView(FIDString /*name*/) { return nullptr; }

tresult EchoController::connect(IConnectionPoint* other) {
  if (!other) return kInvalidArgument;
  if (peer) return kResultFalse;
  peer = other;
  return kResultOk;
}

tresult EchoController::disconnect(IConnectionPoint* other) {
  if (!other || other != peer) return kInvalidArgument;
  peer = nullptr;
  return kResultOk;
}

tresult EchoController::notify(IMessage* message) { return message ? kResultOk : kInvalidArgument; }

}  // namespace quillet::vst3
