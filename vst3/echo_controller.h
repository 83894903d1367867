// The controller class: the echo's parameters as the host lists, shows and
// edits them, following the component's state, the factory presets as the
// root unit's program list (IUnitInfo) with its program change, and the
// panel (createView).
// The sample rate (for "Delay" in milliseconds) and the host's tempo (for the
// note keys) come from the processor through their ProcessorLink.
//
// Threads: every call comes on the user-interface thread.
#pragma once

#include <memory>
#include <vector>

#include "vst3/interface/controller.h"
#include "vst3/interface/messages.h"
#include "vst3/interface/units.h"
#include "vst3/parameter_list.h"
#include "vst3/processor_link.h"
#include "vst3/unknown_support.h"

namespace quillet::vst3 {

class EchoView;

class EchoController final : public IEditController, public IConnectionPoint, public IUnitInfo {
 public:
  static FUnknown* create();

  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
  uint32 QUILLET_VST3_CALL addRef() override { return refs.add(); }
  uint32 QUILLET_VST3_CALL release() override;

  tresult QUILLET_VST3_CALL initialize(FUnknown* context) override;
  tresult QUILLET_VST3_CALL terminate() override;

  // The component's state (our 44 bytes or a VST 2 hand-over); a refused one
  // changes nothing.
  tresult QUILLET_VST3_CALL setComponentState(IBStream* state) override;
  // Nothing of the controller's own is saved: both are empty.
  tresult QUILLET_VST3_CALL setState(IBStream* state) override;
  tresult QUILLET_VST3_CALL getState(IBStream* state) override;
  int32 QUILLET_VST3_CALL getParameterCount() override { return kParameterCount; }
  tresult QUILLET_VST3_CALL getParameterInfo(int32 paramIndex, ParameterInfo& info) override;
  tresult QUILLET_VST3_CALL getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                  String128 string) override;
  tresult QUILLET_VST3_CALL getParamValueByString(ParamID id, TChar* string,
                                                  ParamValue& valueNormalized) override;
  ParamValue QUILLET_VST3_CALL normalizedParamToPlain(ParamID id,
                                                      ParamValue valueNormalized) override;
  ParamValue QUILLET_VST3_CALL plainParamToNormalized(ParamID id, ParamValue plainValue) override;
  ParamValue QUILLET_VST3_CALL getParamNormalized(ParamID id) override;
  // A value from the host (automation, its own controls): kept and shown on
  // the panel, never sent back to the handler. The program change loads its
  // preset's eleven values, shows them and tells the host to read them
  // again (restartComponent kParamValuesChanged; not to Ardour 7, which
  // would wait for itself there).
  tresult QUILLET_VST3_CALL setParamNormalized(ParamID id, ParamValue value) override;
  tresult QUILLET_VST3_CALL setComponentHandler(IComponentHandler* handler) override;
  // The panel, for the view name "editor"; null for any other.
  IPlugView* QUILLET_VST3_CALL createView(FIDString name) override;

  tresult QUILLET_VST3_CALL connect(IConnectionPoint* other) override;
  tresult QUILLET_VST3_CALL disconnect(IConnectionPoint* other) override;
  // The processor's link token arrives here.
  tresult QUILLET_VST3_CALL notify(IMessage* message) override;

  // IUnitInfo: the root unit alone, with the factory presets as its program
  // list; read-only (no program data is taken).
  int32 QUILLET_VST3_CALL getUnitCount() override { return 1; }
  tresult QUILLET_VST3_CALL getUnitInfo(int32 unitIndex, UnitInfo& info) override;
  int32 QUILLET_VST3_CALL getProgramListCount() override { return 1; }
  tresult QUILLET_VST3_CALL getProgramListInfo(int32 listIndex, ProgramListInfo& info) override;
  tresult QUILLET_VST3_CALL getProgramName(ProgramListID listId, int32 programIndex,
                                           String128 name) override;
  tresult QUILLET_VST3_CALL getProgramInfo(ProgramListID listId, int32 programIndex,
                                           CString attributeId, String128 attributeValue) override;
  tresult QUILLET_VST3_CALL hasProgramPitchNames(ProgramListID, int32) override {
    return kResultFalse;
  }
  tresult QUILLET_VST3_CALL getProgramPitchName(ProgramListID, int32, int16, String128) override {
    return kResultFalse;
  }
  UnitID QUILLET_VST3_CALL getSelectedUnit() override { return kRootUnitId; }
  tresult QUILLET_VST3_CALL selectUnit(UnitID unitId) override {
    return unitId == kRootUnitId ? kResultOk : kInvalidArgument;
  }
  tresult QUILLET_VST3_CALL getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&) override;
  tresult QUILLET_VST3_CALL setUnitProgramData(int32, int32, IBStream*) override {
    return kResultFalse;
  }

  // For the panel's view: the eleven values as floats, the user's edits sent
  // to the host's handler, and what the processor knows.
  float echoValue(int32 index) const;
  void beginEdit(int32 index);
  void performEdit(int32 index, float value);
  void endEdit(int32 index);
  double hostTempo() const;
  double sampleRate() const;
  void viewOpened(EchoView* view);
  void viewClosed(EchoView* view);

 private:
  EchoController();
  ~EchoController();

  // Index into values: the list order (the eleven, bypass, program); -1 for others.
  static int32 slotOf(ParamID id);
  core::ParamTextContext textContext() const;
  void showOnViews(int32 slot);
  void loadProgram(int32 program);

  RefCount refs;
  IComponentHandler* handler = nullptr;  // a reference held while set
  IConnectionPoint* peer = nullptr;      // only to recognise it again on disconnect
  std::shared_ptr<ProcessorLink> link;
  double values[kParameterCount];
  std::vector<EchoView*> views;
  // A host that must not be sent restartComponent from inside its own
  // program change (see initialize).
  bool hostLocksAgainstRestart = false;
};

}  // namespace quillet::vst3
