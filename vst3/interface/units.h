// Units and program lists ("ivstunits.h"): how a plug-in describes its
// structure and the programs (factory presets) a host may list and select.
// The controller answers IUnitInfo; the component may answer
// IProgramListData, handing out each program's state. A unit that uses a
// program list selects its program through one parameter of that unit with
// ParameterInfo::kIsProgramChange, stepped over the list's programs.
// Everything here runs on the user-interface thread.
#pragma once

#include "vst3/interface/base.h"
#include "vst3/interface/component.h"

namespace quillet::vst3 {

using ProgramListID = int32;
using CString = const char8*;

constexpr UnitID kNoParentUnitId = -1;          // the root unit's parent
constexpr ProgramListID kNoProgramListId = -1;  // a unit without programs
constexpr int32 kAllProgramInvalid = -1;        // IUnitHandler: every program changed

struct UnitInfo {
  UnitID id;  // the root unit is 0 (kRootUnitId)
  UnitID parentUnitId;
  String128 name;  // optional for the root unit
  ProgramListID programListId;
};

struct ProgramListInfo {
  ProgramListID id;
  String128 name;
  int32 programCount;
};

// The host side, asked for through the component handler.
class IUnitHandler : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL notifyUnitSelection(UnitID unitId) = 0;
  virtual tresult QUILLET_VST3_CALL notifyProgramListChange(ProgramListID listId,
                                                            int32 programIndex) = 0;
  QUILLET_VST3_IID(0x4B5147F8, 0x4654486B, 0x8DAB30BA, 0x163A3C56);

 protected:
  ~IUnitHandler() = default;
};

// The controller's description of its units. The root unit (ID 0) always
// exists, so getUnitCount answers at least 1; a unit's program list never
// changes.
class IUnitInfo : public FUnknown {
 public:
  virtual int32 QUILLET_VST3_CALL getUnitCount() = 0;
  virtual tresult QUILLET_VST3_CALL getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;
  virtual int32 QUILLET_VST3_CALL getProgramListCount() = 0;
  virtual tresult QUILLET_VST3_CALL getProgramListInfo(int32 listIndex, ProgramListInfo& info) = 0;
  virtual tresult QUILLET_VST3_CALL getProgramName(ProgramListID listId, int32 programIndex,
                                                   String128 name) = 0;
  // An attribute of a program by its preset key ("MusicalStyle", ...).
  virtual tresult QUILLET_VST3_CALL getProgramInfo(ProgramListID listId, int32 programIndex,
                                                   CString attributeId,
                                                   String128 attributeValue) = 0;
  virtual tresult QUILLET_VST3_CALL hasProgramPitchNames(ProgramListID listId,
                                                         int32 programIndex) = 0;
  virtual tresult QUILLET_VST3_CALL getProgramPitchName(ProgramListID listId, int32 programIndex,
                                                        int16 midiPitch, String128 name) = 0;
  virtual UnitID QUILLET_VST3_CALL getSelectedUnit() = 0;
  virtual tresult QUILLET_VST3_CALL selectUnit(UnitID unitId) = 0;
  virtual tresult QUILLET_VST3_CALL getUnitByBus(MediaType type, BusDirection dir, int32 busIndex,
                                                 int32 channel, UnitID& unitId) = 0;
  // A program's data from the host, for a program list (IProgramListData)
  // or, with programIndex below 0, a unit.
  virtual tresult QUILLET_VST3_CALL setUnitProgramData(int32 listOrUnitId, int32 programIndex,
                                                       IBStream* data) = 0;
  QUILLET_VST3_IID(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);

 protected:
  ~IUnitInfo() = default;
};

// The component's programs as data: what the program's state is, for hosts
// that read or store programs themselves.
class IProgramListData : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL programDataSupported(ProgramListID listId) = 0;
  virtual tresult QUILLET_VST3_CALL getProgramData(ProgramListID listId, int32 programIndex,
                                                   IBStream* data) = 0;
  virtual tresult QUILLET_VST3_CALL setProgramData(ProgramListID listId, int32 programIndex,
                                                   IBStream* data) = 0;
  QUILLET_VST3_IID(0x8683B01F, 0x7B354F70, 0xA2651DEC, 0x353AF4FF);

 protected:
  ~IProgramListData() = default;
};

}  // namespace quillet::vst3
