// The controller class: the echo's parameters as the host lists, shows and
// edits them, following the component's state. No view yet.
//
// Threads: every call comes on the user-interface thread.
#pragma once

#include "core/param_table.h"
#include "vst3/interface/controller.h"
#include "vst3/interface/messages.h"
#include "vst3/unknown_support.h"

namespace quillet::vst3 {

class EchoController final : public IEditController, public IConnectionPoint {
 public:
  static FUnknown* create();

  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
  uint32 QUILLET_VST3_CALL addRef() override { return refs.add(); }
  uint32 QUILLET_VST3_CALL release() override;

  tresult QUILLET_VST3_CALL initialize(FUnknown* context) override;
  tresult QUILLET_VST3_CALL terminate() override;

  tresult QUILLET_VST3_CALL setComponentState(IBStream* state) override;
  tresult QUILLET_VST3_CALL setState(IBStream* state) override;
  tresult QUILLET_VST3_CALL getState(IBStream* state) override;
  int32 QUILLET_VST3_CALL getParameterCount() override;
  tresult QUILLET_VST3_CALL getParameterInfo(int32 paramIndex, ParameterInfo& info) override;
  tresult QUILLET_VST3_CALL getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                  String128 string) override;
  tresult QUILLET_VST3_CALL getParamValueByString(ParamID id, TChar* string,
                                                  ParamValue& valueNormalized) override;
  ParamValue QUILLET_VST3_CALL normalizedParamToPlain(ParamID id,
                                                      ParamValue valueNormalized) override;
  ParamValue QUILLET_VST3_CALL plainParamToNormalized(ParamID id, ParamValue plainValue) override;
  ParamValue QUILLET_VST3_CALL getParamNormalized(ParamID id) override;
  tresult QUILLET_VST3_CALL setParamNormalized(ParamID id, ParamValue value) override;
  tresult QUILLET_VST3_CALL setComponentHandler(IComponentHandler* handler) override;
  IPlugView* QUILLET_VST3_CALL createView(FIDString name) override;

  tresult QUILLET_VST3_CALL connect(IConnectionPoint* other) override;
  tresult QUILLET_VST3_CALL disconnect(IConnectionPoint* other) override;
  tresult QUILLET_VST3_CALL notify(IMessage* message) override;

 private:
  EchoController();
  ~EchoController();

  // Index into values: the eleven echo parameters, then bypass; -1 for others.
  static int32 slotOf(ParamID id);

  RefCount refs;
  IComponentHandler* handler = nullptr;
  IConnectionPoint* peer = nullptr;
  double values[kNumQuilletParams + 1];
};

}  // namespace quillet::vst3
