// The edit controller and the host's handler for it ("ivsteditcontroller.h").
// Everything here runs on the user-interface thread.
#pragma once

#include "vst3/interface/base.h"
#include "vst3/interface/component.h"
#include "vst3/interface/processor.h"

namespace quillet::vst3 {

class IPlugView;

struct ParameterInfo {
  ParamID id;  // stable for the life of the product: hosts save automation by it
  String128 title;
  String128 shortTitle;
  String128 units;
  int32 stepCount;  // 0 continuous, 1 a toggle, n: n + 1 positions
  ParamValue defaultNormalizedValue;
  UnitID unitId;  // 0: the root unit
  int32 flags;

  enum ParameterFlags : int32 {
    kNoFlags = 0,
    kCanAutomate = 1 << 0,
    kIsReadOnly = 1 << 1,
    kIsWrapAround = 1 << 2,
    kIsList = 1 << 3,  // show the steps as a list of their texts
    kIsHidden = 1 << 4,
    kIsProgramChange = 1 << 15,
    kIsBypass = 1 << 16,  // the one parameter a host's bypass button drives
  };
};

constexpr UnitID kRootUnitId = 0;
constexpr ParamID kNoParamId = 0xFFFFFFFFu;
constexpr const char8* kViewTypeEditor = "editor";  // the only view name hosts ask for

enum RestartFlags : int32 {
  kReloadComponent = 1 << 0,
  kIoChanged = 1 << 1,
  kParamValuesChanged = 1 << 2,
  kLatencyChanged = 1 << 3,
  kParamTitlesChanged = 1 << 4,
};

// The host side of a user's edit: beginEdit, any number of performEdit, then
// endEdit, all on the user-interface thread.
class IComponentHandler : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL beginEdit(ParamID id) = 0;
  virtual tresult QUILLET_VST3_CALL performEdit(ParamID id, ParamValue valueNormalized) = 0;
  virtual tresult QUILLET_VST3_CALL endEdit(ParamID id) = 0;
  virtual tresult QUILLET_VST3_CALL restartComponent(int32 flags) = 0;
  QUILLET_VST3_IID(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

 protected:
  ~IComponentHandler() = default;
};

class IEditController : public IPluginBase {
 public:
  // The component's state, as its getState wrote it: the controller follows it.
  virtual tresult QUILLET_VST3_CALL setComponentState(IBStream* state) = 0;
  // The controller's own state (nothing beyond the component's for us).
  virtual tresult QUILLET_VST3_CALL setState(IBStream* state) = 0;
  virtual tresult QUILLET_VST3_CALL getState(IBStream* state) = 0;
  virtual int32 QUILLET_VST3_CALL getParameterCount() = 0;
  virtual tresult QUILLET_VST3_CALL getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
  virtual tresult QUILLET_VST3_CALL getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                          String128 string) = 0;
  virtual tresult QUILLET_VST3_CALL getParamValueByString(ParamID id, TChar* string,
                                                          ParamValue& valueNormalized) = 0;
  virtual ParamValue QUILLET_VST3_CALL normalizedParamToPlain(ParamID id,
                                                              ParamValue valueNormalized) = 0;
  virtual ParamValue QUILLET_VST3_CALL plainParamToNormalized(ParamID id,
                                                              ParamValue plainValue) = 0;
  virtual ParamValue QUILLET_VST3_CALL getParamNormalized(ParamID id) = 0;
  // A value from the host; never echoed back to the handler.
  virtual tresult QUILLET_VST3_CALL setParamNormalized(ParamID id, ParamValue value) = 0;
  virtual tresult QUILLET_VST3_CALL setComponentHandler(IComponentHandler* handler) = 0;
  virtual IPlugView* QUILLET_VST3_CALL createView(FIDString name) = 0;
  QUILLET_VST3_IID(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

 protected:
  ~IEditController() = default;
};

}  // namespace quillet::vst3
