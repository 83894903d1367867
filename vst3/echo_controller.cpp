#include "vst3/echo_controller.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "core/identity.h"
#include "core/param_value.h"
#include "vst3/component_state.h"
#include "vst3/echo_view.h"
#include "vst3/factory_programs.h"
#include "vst3/interface/preset_keys.h"
#include "vst3/parameter_ids.h"
#include "vst3/stream_io.h"

namespace quillet::vst3 {

namespace {

void toUtf16(const char* from, String128 to) {
  int i = 0;
  for (; from[i] && i < 127; ++i) to[i] = static_cast<char16>(static_cast<unsigned char>(from[i]));
  for (; i < 128; ++i) to[i] = 0;
}

// Within 128 units and ASCII only: every text we accept is plain ASCII.
bool fromUtf16(const TChar* from, char* to, size_t size) {
  size_t i = 0;
  for (; i < 128 && from[i]; ++i) {
    if (i + 1 >= size || from[i] > 0x7F) return false;
    to[i] = static_cast<char>(from[i]);
  }
  if (i == 128) return false;
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
  for (int32 i = 0; i < kParameterCount; ++i) values[i] = parameterAt(i)->param->defaultValue;
}

EchoController::~EchoController() { terminate(); }

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
      offerInterface<IConnectionPoint>(iidBytes, this, obj) ||
      offerInterface<IUnitInfo>(iidBytes, this, obj))
    return kResultOk;
  return noInterface(obj);
}

tresult EchoController::initialize(FUnknown* context) {
  // Ardour 7 takes, in restartComponent, a lock it holds while it sets a
  // program: a restart from inside its program change never returns. It
  // learns the program's values from the processor's output changes instead.
  void* host = nullptr;
  if (context && context->queryInterface(IHostApplication::iid.bytes, &host) == kResultOk && host) {
    auto* application = static_cast<IHostApplication*>(host);
    String128 name{};
    char text[128] = {};
    if (application->getName(name) == kResultOk && fromUtf16(name, text, sizeof text))
      hostLocksAgainstRestart = std::strcmp(text, "Ardour") == 0;
    application->release();
  }
  return kResultOk;
}

tresult EchoController::terminate() {
  setComponentHandler(nullptr);
  peer = nullptr;
  link.reset();
  return kResultOk;
}

int32 EchoController::slotOf(ParamID id) {
  const int32 index = echoIndexOf(id);
  if (index >= 0) return index;
  return id == kBypassParamId ? kBypassSlot : id == kProgramParamId ? kProgramSlot : -1;
}

core::ParamTextContext EchoController::textContext() const {
  return core::textContextOf(values, static_cast<float>(sampleRate()));
}

void EchoController::showOnViews(int32 slot) {
  if (slot < 0 || slot >= core::kNumQuilletParams) return;
  for (EchoView* view : views) view->parameterChanged(slot);
}

tresult EchoController::setComponentState(IBStream* state) {
  std::vector<uint8> bytes;
  ComponentState read;
  if (!readWholeStream(state, kMaxStateStreamBytes, &bytes) ||
      !readComponentState(bytes.data(), bytes.size(), &read))
    return kResultFalse;
  for (int32 i = 0; i < core::kNumQuilletParams; ++i) {
    values[i] = read.values[i];
    showOnViews(i);
  }
  // A state that is a factory preset (a .vstpreset, say) shows as that program.
  const int program = core::matchingFactoryPreset(read.values);
  if (program >= 0) values[kProgramSlot] = valueOfProgram(program);
  if (read.hasBypass) values[kBypassSlot] = read.bypassed ? 1.0 : 0.0;
  return kResultOk;
}

tresult EchoController::setState(IBStream* /*state*/) { return kResultOk; }
tresult EchoController::getState(IBStream* /*state*/) { return kResultOk; }

tresult EchoController::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
  const ParameterRow* row = parameterAt(paramIndex);
  if (!row) return kInvalidArgument;
  info.id = row->id();
  toUtf16(row->param->name, info.title);
  toUtf16(row->param->name, info.shortTitle);
  toUtf16(row->param->label, info.units);
  info.stepCount = row->stepCount();
  info.defaultNormalizedValue = row->param->defaultValue;
  info.unitId = kRootUnitId;
  info.flags = row->flags;
  return kResultOk;
}

tresult EchoController::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                              String128 string) {
  const ParameterRow* row = parameterById(id);
  char text[128];  // a parameter text, or a preset's name
  if (!row || !string || !parameterText(*row, valueNormalized, textContext(), text, sizeof text))
    return kInvalidArgument;
  toUtf16(text, string);
  return kResultOk;
}

tresult EchoController::getParamValueByString(ParamID id, TChar* string,
                                              ParamValue& valueNormalized) {
  const ParameterRow* row = parameterById(id);
  char text[128];
  double value = 0;
  if (!row || !string || !fromUtf16(string, text, sizeof text) ||
      !parameterValue(*row, text, textContext(), &value))
    return kResultFalse;
  valueNormalized = value;
  return kResultOk;
}

ParamValue EchoController::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
  const ParameterRow* row = parameterById(id);
  return row ? plainOf(*row, valueNormalized) : valueNormalized;
}

ParamValue EchoController::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  const ParameterRow* row = parameterById(id);
  return row ? normalizedOf(*row, plainValue) : plainValue;
}

ParamValue EchoController::getParamNormalized(ParamID id) {
  const int32 slot = slotOf(id);
  return slot < 0 ? 0.0 : values[slot];
}

tresult EchoController::setParamNormalized(ParamID id, ParamValue value) {
  const int32 slot = slotOf(id);
  if (slot < 0 || std::isnan(value)) return kInvalidArgument;
  if (slot == kProgramSlot) {
    loadProgram(programOfValue(value));
    return kResultOk;
  }
  // Kept as the processor stores it: a float.
  values[slot] = static_cast<float>(clamp01(value));
  showOnViews(slot);
  return kResultOk;
}

void EchoController::loadProgram(int32 program) {
  const core::FactoryPreset* preset = factoryProgram(program);
  if (!preset) return;
  values[kProgramSlot] = valueOfProgram(program);
  // The processor takes the same values from the program change itself.
  for (int32 i = 0; i < core::kNumQuilletParams; ++i) {
    values[i] = preset->values[i];
    showOnViews(i);
  }
  if (handler && !hostLocksAgainstRestart) handler->restartComponent(kParamValuesChanged);
}

tresult EchoController::getUnitInfo(int32 unitIndex, UnitInfo& info) {
  if (unitIndex != 0) return kInvalidArgument;
  info.id = kRootUnitId;
  info.parentUnitId = kNoParentUnitId;
  toUtf16(core::identity::kProductName, info.name);
  info.programListId = kFactoryProgramListId;
  return kResultOk;
}

tresult EchoController::getProgramListInfo(int32 listIndex, ProgramListInfo& info) {
  if (listIndex != 0) return kInvalidArgument;
  info.id = kFactoryProgramListId;
  toUtf16(kProgramListName, info.name);
  info.programCount = kProgramCount;
  return kResultOk;
}

tresult EchoController::getProgramName(ProgramListID listId, int32 programIndex, String128 name) {
  const core::FactoryPreset* preset = factoryProgram(listId, programIndex);
  if (!preset || !name) return kInvalidArgument;
  toUtf16(preset->name, name);
  return kResultOk;
}

tresult EchoController::getProgramInfo(ProgramListID listId, int32 programIndex,
                                       CString attributeId, String128 attributeValue) {
  const core::FactoryPreset* preset = factoryProgram(listId, programIndex);
  if (!preset || !attributeId || !attributeValue) return kInvalidArgument;
  const char* value = nullptr;
  if (std::strcmp(attributeId, kPresetNameAttribute) == 0) value = preset->name;
  if (std::strcmp(attributeId, kPresetStyleAttribute) == 0) value = preset->style;
  if (!value) return kResultFalse;
  toUtf16(value, attributeValue);
  return kResultOk;
}

tresult EchoController::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&) {
  // No unit besides the root, so no bus leads to one.
  return kResultFalse;
}

tresult EchoController::setComponentHandler(IComponentHandler* newHandler) {
  if (newHandler == handler) return kResultOk;
  if (newHandler) newHandler->addRef();
  if (handler) handler->release();
  handler = newHandler;
  return kResultOk;
}

IPlugView* EchoController::createView(FIDString name) {
  if (!name || std::strcmp(name, kViewTypeEditor) != 0) return nullptr;
  return EchoView::create(this);
}

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

tresult EchoController::notify(IMessage* message) {
  if (!message) return kInvalidArgument;
  const char8* id = message->getMessageID();
  if (!id || std::strcmp(id, kLinkMessageId) != 0) return kResultFalse;
  IAttributeList* attributes = message->getAttributes();
  int64 token = 0;
  if (!attributes || attributes->getInt(kLinkTokenAttribute, token) != kResultOk)
    return kResultFalse;
  std::shared_ptr<ProcessorLink> found = findLink(token);
  if (!found) return kResultFalse;
  link = std::move(found);
  return kResultOk;
}

float EchoController::echoValue(int32 index) const {
  return index >= 0 && index < core::kNumQuilletParams ? static_cast<float>(values[index]) : 0.0f;
}

void EchoController::beginEdit(int32 index) {
  if (handler && index >= 0 && index < core::kNumQuilletParams)
    handler->beginEdit(parameterAt(index)->id());
}

void EchoController::performEdit(int32 index, float value) {
  if (index < 0 || index >= core::kNumQuilletParams) return;
  const float stored = core::clampStoredValue(value);
  if (std::isnan(stored)) return;
  values[index] = stored;
  showOnViews(index);
  if (handler) handler->performEdit(parameterAt(index)->id(), stored);
}

void EchoController::endEdit(int32 index) {
  if (handler && index >= 0 && index < core::kNumQuilletParams)
    handler->endEdit(parameterAt(index)->id());
}

double EchoController::hostTempo() const {
  return link ? link->tempo.load(std::memory_order_relaxed) : 0.0;
}

double EchoController::sampleRate() const {
  return link ? link->sampleRate.load(std::memory_order_relaxed) : 0.0;
}

void EchoController::viewOpened(EchoView* view) { views.push_back(view); }

void EchoController::viewClosed(EchoView* view) {
  views.erase(std::remove(views.begin(), views.end(), view), views.end());
}

}  // namespace quillet::vst3
