// Our VST3 declarations against the published layout: sizes and offsets of
// every structure a host and the plug-in exchange, identifier bytes, and the
// order of methods in each interface's table, checked by calling through the
// table the way a host written in another language would.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "vst3/interface/controller.h"
#include "vst3/interface/factory.h"
#include "vst3/interface/messages.h"
#include "vst3/interface/processor.h"
#include "vst3/interface/stream.h"
#include "vst3/interface/units.h"
#include "vst3/interface/view.h"

namespace quillet::vst3 {
namespace {

// Natural alignment on 64-bit Linux and Windows; these numbers follow from
// the member lists of the interface reference.
static_assert(sizeof(PFactoryInfo) == 452);
static_assert(offsetof(PFactoryInfo, url) == 64 && offsetof(PFactoryInfo, email) == 320 &&
              offsetof(PFactoryInfo, flags) == 448);
static_assert(sizeof(PClassInfo) == 116);
static_assert(offsetof(PClassInfo, category) == 20 && offsetof(PClassInfo, name) == 52);
static_assert(sizeof(PClassInfo2) == 440);
static_assert(offsetof(PClassInfo2, classFlags) == 116 &&
              offsetof(PClassInfo2, subCategories) == 120 && offsetof(PClassInfo2, vendor) == 248 &&
              offsetof(PClassInfo2, version) == 312 && offsetof(PClassInfo2, sdkVersion) == 376);
static_assert(sizeof(PClassInfoW) == 696);
static_assert(offsetof(PClassInfoW, name) == 52 && offsetof(PClassInfoW, classFlags) == 180 &&
              offsetof(PClassInfoW, subCategories) == 184 && offsetof(PClassInfoW, vendor) == 312 &&
              offsetof(PClassInfoW, version) == 440 && offsetof(PClassInfoW, sdkVersion) == 568);
static_assert(sizeof(BusInfo) == 276);
static_assert(offsetof(BusInfo, name) == 12 && offsetof(BusInfo, busType) == 268 &&
              offsetof(BusInfo, flags) == 272);
static_assert(sizeof(RoutingInfo) == 12);
static_assert(sizeof(ParameterInfo) == 792);
static_assert(offsetof(ParameterInfo, title) == 4 && offsetof(ParameterInfo, shortTitle) == 260 &&
              offsetof(ParameterInfo, units) == 516 && offsetof(ParameterInfo, stepCount) == 772 &&
              offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
              offsetof(ParameterInfo, unitId) == 784 && offsetof(ParameterInfo, flags) == 788);
static_assert(sizeof(ProcessSetup) == 24 && offsetof(ProcessSetup, sampleRate) == 16);
static_assert(sizeof(AudioBusBuffers) == 24 && offsetof(AudioBusBuffers, silenceFlags) == 8 &&
              offsetof(AudioBusBuffers, channelBuffers32) == 16 &&
              offsetof(AudioBusBuffers, channelBuffers64) == 16);
static_assert(sizeof(ProcessData) == 80);
static_assert(offsetof(ProcessData, numOutputs) == 16 && offsetof(ProcessData, inputs) == 24 &&
              offsetof(ProcessData, outputs) == 32 &&
              offsetof(ProcessData, inputParameterChanges) == 40 &&
              offsetof(ProcessData, outputParameterChanges) == 48 &&
              offsetof(ProcessData, inputEvents) == 56 &&
              offsetof(ProcessData, outputEvents) == 64 &&
              offsetof(ProcessData, processContext) == 72);
static_assert(sizeof(ProcessContext) == 112);
static_assert(offsetof(ProcessContext, sampleRate) == 8 &&
              offsetof(ProcessContext, projectTimeSamples) == 16 &&
              offsetof(ProcessContext, systemTime) == 24 &&
              offsetof(ProcessContext, continousTimeSamples) == 32 &&
              offsetof(ProcessContext, projectTimeMusic) == 40 &&
              offsetof(ProcessContext, cycleEndMusic) == 64 &&
              offsetof(ProcessContext, tempo) == 72 &&
              offsetof(ProcessContext, timeSigNumerator) == 80 &&
              offsetof(ProcessContext, chord) == 88 &&
              offsetof(ProcessContext, smpteOffsetSubframes) == 92 &&
              offsetof(ProcessContext, frameRate) == 96 &&
              offsetof(ProcessContext, samplesToNextClock) == 104);
static_assert(sizeof(ViewRect) == 16);
static_assert(sizeof(UnitInfo) == 268 && offsetof(UnitInfo, parentUnitId) == 4 &&
              offsetof(UnitInfo, name) == 8 && offsetof(UnitInfo, programListId) == 264);
static_assert(sizeof(ProgramListInfo) == 264 && offsetof(ProgramListInfo, name) == 4 &&
              offsetof(ProgramListInfo, programCount) == 260);
static_assert(sizeof(char16) == 2 && sizeof(String128) == 256 && sizeof(TBool) == 1);
// An interface is nothing but its table pointer.
static_assert(sizeof(IComponent) == sizeof(void*) && sizeof(IPlugView) == sizeof(void*));

std::vector<int> bytesOf(const Uid& uid) {
  std::vector<int> bytes;
  for (char8 b : uid.bytes) bytes.push_back(static_cast<uint8>(b));
  return bytes;
}

TEST(Vst3Declarations, IdentifiersTakeThePlainOrderOffWindowsAndComOrderOnIt) {
  // IComponent, published as E831FF31-F2D54301-928EBBEE-25697802.
  const Uid plain = Uid::fromLongs(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802, UidOrder::Plain);
  const Uid com = Uid::fromLongs(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802, UidOrder::Com);
  EXPECT_EQ(bytesOf(plain), (std::vector<int>{0xE8, 0x31, 0xFF, 0x31, 0xF2, 0xD5, 0x43, 0x01, 0x92,
                                              0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02}));
  EXPECT_EQ(bytesOf(com), (std::vector<int>{0x31, 0xFF, 0x31, 0xE8, 0xD5, 0xF2, 0x01, 0x43, 0x92,
                                            0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02}));
#if defined(_WIN32)
  EXPECT_EQ(bytesOf(IComponent::iid), bytesOf(com));
#else
  EXPECT_EQ(bytesOf(IComponent::iid), bytesOf(plain));
#endif
  // FUnknown is COM's IUnknown, 00000000-0000-0000-C000-000000000046, in both orders.
  EXPECT_EQ(bytesOf(FUnknown::iid),
            (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46}));
}

TEST(Vst3Declarations, TheTextOfAnIdentifierIsTheSameInBothOrders) {
  char8 text[33];
  for (UidOrder order : {UidOrder::Plain, UidOrder::Com}) {
    const Uid uid = Uid::fromLongs(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F, order);
    uint32 longs[4];
    uid.toLongs(longs, order);
    EXPECT_EQ(longs[0], 0x7A4D811Cu);
    EXPECT_EQ(longs[1], 0x52114A1Fu);
    EXPECT_EQ(longs[2], 0xAED9D2EEu);
    EXPECT_EQ(longs[3], 0x0B43BF9Fu);
  }
  IPluginFactory::iid.toString(text);
  EXPECT_STREQ(text, "7A4D811C52114A1FAED9D2EE0B43BF9F");
}

TEST(Vst3Declarations, PublishedInterfaceIdentifiers) {
  char8 text[33];
  auto textOf = [&text](const Uid& uid) {
    uid.toString(text);
    return std::string(text);
  };
  EXPECT_EQ(textOf(IPluginBase::iid), "22888DDB156E45AE8358B34808190625");
  EXPECT_EQ(textOf(IPluginFactory2::iid), "0007B650F24B4C0BA464EDB9F00B2ABB");
  EXPECT_EQ(textOf(IPluginFactory3::iid), "4555A2ABC1234E579B12291036878931");
  EXPECT_EQ(textOf(IAudioProcessor::iid), "42043F99B7DA453CA569E79D9AAEC33D");
  EXPECT_EQ(textOf(IEditController::iid), "DCD7BBE37742448DA874AACC979C759E");
  EXPECT_EQ(textOf(IComponentHandler::iid), "93A0BEA30BD045DB8E890B0CC1E46AC6");
  EXPECT_EQ(textOf(IBStream::iid), "C3BF6EA2309947529B6BF9901EE33E9B");
  EXPECT_EQ(textOf(IParamValueQueue::iid), "01263A18ED074F6F98C9D3564686F9BA");
  EXPECT_EQ(textOf(IParameterChanges::iid), "A47796630BB64A56B44384A8466FEB9D");
  EXPECT_EQ(textOf(IConnectionPoint::iid), "70A4156F6E6E4026989148BFAA60D8D1");
  EXPECT_EQ(textOf(IPlugView::iid), "5BC32507D06049EAA6151B522B755B29");
  EXPECT_EQ(textOf(IRunLoop::iid), "18C3536697764F1A9C5B83857A871389");
  EXPECT_EQ(textOf(IPlugViewContentScaleSupport::iid), "65ED96908AC445258AADEF7A72EA703F");
  EXPECT_EQ(textOf(IUnitInfo::iid), "3D4BD6B5913A4FD2A886E768A5EB92C1");
  EXPECT_EQ(textOf(IUnitHandler::iid), "4B5147F84654486B8DAB30BA163A3C56");
  EXPECT_EQ(textOf(IProgramListData::iid), "8683B01F7B354F70A2651DEC353AF4FF");
}

TEST(Vst3Declarations, IdentifiersLieOnEightByteBoundaries) {
  // Hosts built on Steinberg's headers compare identifiers as two 64-bit
  // words, which strict-alignment machines and UBSan's alignment check
  // refuse on a misaligned address.
  EXPECT_EQ(alignof(Uid), 8u);
  const Uid* ids[] = {&FUnknown::iid,          &IPluginBase::iid,
                      &IPluginFactory::iid,    &IPluginFactory2::iid,
                      &IPluginFactory3::iid,   &IComponent::iid,
                      &IAudioProcessor::iid,   &IEditController::iid,
                      &IComponentHandler::iid, &IBStream::iid,
                      &IParamValueQueue::iid,  &IParameterChanges::iid,
                      &IConnectionPoint::iid,  &IMessage::iid,
                      &IAttributeList::iid,    &IHostApplication::iid,
                      &IPlugView::iid,         &IPlugFrame::iid,
                      &IRunLoop::iid,          &IPlugViewContentScaleSupport::iid};
  for (const Uid* id : ids) {
    char8 text[33];
    id->toString(text);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(id->bytes) % 8, 0u) << text;
  }
  // Identifiers made at run time, as members and on the stack, too.
  struct Holder {
    char8 before;
    Uid id;
  };
  Holder holders[3] = {};
  for (const Holder& h : holders) EXPECT_EQ(reinterpret_cast<uintptr_t>(h.id.bytes) % 8, 0u);
}

TEST(Vst3Declarations, ResultCodesOfThisPlatform) {
#if defined(_WIN32)
  EXPECT_EQ(static_cast<uint32>(kNoInterface), 0x80004002u);
  EXPECT_EQ(static_cast<uint32>(kInvalidArgument), 0x80070057u);
#else
  EXPECT_EQ(kNoInterface, -1);
  EXPECT_EQ(kInvalidArgument, 2);
  EXPECT_EQ(kOutOfMemory, 6);
#endif
  EXPECT_EQ(kResultOk, 0);
  EXPECT_EQ(kResultTrue, 0);
  EXPECT_EQ(kResultFalse, 1);
}

// Calls slot `slot` of an object's table as a plain function taking the
// object first, which is how the interface is called across the boundary.
template <class R, class... Args>
R callSlot(void* object, int slot, Args... args) {
  using Fn = R(QUILLET_VST3_CALL*)(void*, Args...);
  Fn* table = *static_cast<Fn**>(object);
  return table[slot](object, args...);
}

// Records which method ran; each answers its slot number where it can.
class RecordingComponent : public IComponent {
 public:
  std::vector<std::string> calls;
  tresult QUILLET_VST3_CALL queryInterface(const char8*, void**) override { return note("qi"); }
  uint32 QUILLET_VST3_CALL addRef() override { return static_cast<uint32>(note("addRef")); }
  uint32 QUILLET_VST3_CALL release() override { return static_cast<uint32>(note("release")); }
  tresult QUILLET_VST3_CALL initialize(FUnknown*) override { return note("initialize"); }
  tresult QUILLET_VST3_CALL terminate() override { return note("terminate"); }
  tresult QUILLET_VST3_CALL getControllerClassId(char8*) override { return note("cid"); }
  tresult QUILLET_VST3_CALL setIoMode(IoMode) override { return note("setIoMode"); }
  int32 QUILLET_VST3_CALL getBusCount(MediaType, BusDirection) override {
    return note("getBusCount");
  }
  tresult QUILLET_VST3_CALL getBusInfo(MediaType, BusDirection, int32, BusInfo&) override {
    return note("getBusInfo");
  }
  tresult QUILLET_VST3_CALL getRoutingInfo(RoutingInfo&, RoutingInfo&) override {
    return note("getRoutingInfo");
  }
  tresult QUILLET_VST3_CALL activateBus(MediaType, BusDirection, int32, TBool) override {
    return note("activateBus");
  }
  tresult QUILLET_VST3_CALL setActive(TBool) override { return note("setActive"); }
  tresult QUILLET_VST3_CALL setState(IBStream*) override { return note("setState"); }
  tresult QUILLET_VST3_CALL getState(IBStream*) override { return note("getState"); }

 private:
  int32 note(const char* name) {
    calls.push_back(name);
    return static_cast<int32>(calls.size());
  }
};

TEST(Vst3Declarations, ComponentMethodsSitInThePublishedSlots) {
  RecordingComponent component;
  callSlot<tresult>(&component, 0, static_cast<const char8*>(nullptr),
                    static_cast<void**>(nullptr));
  callSlot<uint32>(&component, 1);
  callSlot<uint32>(&component, 2);
  callSlot<tresult>(&component, 3, static_cast<FUnknown*>(nullptr));
  callSlot<tresult>(&component, 4);
  callSlot<tresult>(&component, 5, static_cast<char8*>(nullptr));
  callSlot<tresult>(&component, 6, IoMode{0});
  callSlot<int32>(&component, 7, MediaType{0}, BusDirection{0});
  BusInfo info{};
  callSlot<tresult>(&component, 8, MediaType{0}, BusDirection{0}, int32{0}, &info);
  RoutingInfo in{}, out{};
  callSlot<tresult>(&component, 9, &in, &out);
  callSlot<tresult>(&component, 10, MediaType{0}, BusDirection{0}, int32{0}, TBool{1});
  callSlot<tresult>(&component, 11, TBool{1});
  callSlot<tresult>(&component, 12, static_cast<IBStream*>(nullptr));
  callSlot<tresult>(&component, 13, static_cast<IBStream*>(nullptr));
  EXPECT_EQ(component.calls,
            (std::vector<std::string>{"qi", "addRef", "release", "initialize", "terminate", "cid",
                                      "setIoMode", "getBusCount", "getBusInfo", "getRoutingInfo",
                                      "activateBus", "setActive", "setState", "getState"}));
}

class RecordingProcessor : public IAudioProcessor {
 public:
  std::vector<std::string> calls;
  tresult QUILLET_VST3_CALL queryInterface(const char8*, void**) override { return note("qi"); }
  uint32 QUILLET_VST3_CALL addRef() override { return 0; }
  uint32 QUILLET_VST3_CALL release() override { return 0; }
  tresult QUILLET_VST3_CALL setBusArrangements(SpeakerArrangement*, int32, SpeakerArrangement*,
                                               int32) override {
    return note("setBusArrangements");
  }
  tresult QUILLET_VST3_CALL getBusArrangement(BusDirection, int32, SpeakerArrangement&) override {
    return note("getBusArrangement");
  }
  tresult QUILLET_VST3_CALL canProcessSampleSize(int32) override { return note("canProcess"); }
  uint32 QUILLET_VST3_CALL getLatencySamples() override {
    return static_cast<uint32>(note("latency"));
  }
  tresult QUILLET_VST3_CALL setupProcessing(ProcessSetup&) override { return note("setup"); }
  tresult QUILLET_VST3_CALL setProcessing(TBool) override { return note("setProcessing"); }
  tresult QUILLET_VST3_CALL process(ProcessData&) override { return note("process"); }
  uint32 QUILLET_VST3_CALL getTailSamples() override { return static_cast<uint32>(note("tail")); }

 private:
  int32 note(const char* name) {
    calls.push_back(name);
    return static_cast<int32>(calls.size());
  }
};

TEST(Vst3Declarations, ProcessorMethodsSitInThePublishedSlots) {
  RecordingProcessor processor;
  SpeakerArrangement arrangement = kArrStereo;
  ProcessSetup setup{};
  ProcessData data{};
  callSlot<tresult>(&processor, 3, &arrangement, int32{1}, &arrangement, int32{1});
  callSlot<tresult>(&processor, 4, BusDirection{0}, int32{0}, &arrangement);
  callSlot<tresult>(&processor, 5, int32{0});
  callSlot<uint32>(&processor, 6);
  callSlot<tresult>(&processor, 7, &setup);
  callSlot<tresult>(&processor, 8, TBool{1});
  callSlot<tresult>(&processor, 9, &data);
  callSlot<uint32>(&processor, 10);
  EXPECT_EQ(processor.calls,
            (std::vector<std::string>{"setBusArrangements", "getBusArrangement", "canProcess",
                                      "latency", "setup", "setProcessing", "process", "tail"}));
}

class RecordingView : public IPlugView {
 public:
  std::vector<std::string> calls;
  tresult QUILLET_VST3_CALL queryInterface(const char8*, void**) override { return note("qi"); }
  uint32 QUILLET_VST3_CALL addRef() override { return 0; }
  uint32 QUILLET_VST3_CALL release() override { return 0; }
  tresult QUILLET_VST3_CALL isPlatformTypeSupported(FIDString) override { return note("type"); }
  tresult QUILLET_VST3_CALL attached(void*, FIDString) override { return note("attached"); }
  tresult QUILLET_VST3_CALL removed() override { return note("removed"); }
  tresult QUILLET_VST3_CALL onWheel(float) override { return note("wheel"); }
  tresult QUILLET_VST3_CALL onKeyDown(char16, int16, int16) override { return note("keyDown"); }
  tresult QUILLET_VST3_CALL onKeyUp(char16, int16, int16) override { return note("keyUp"); }
  tresult QUILLET_VST3_CALL getSize(ViewRect*) override { return note("getSize"); }
  tresult QUILLET_VST3_CALL onSize(ViewRect*) override { return note("onSize"); }
  tresult QUILLET_VST3_CALL onFocus(TBool) override { return note("focus"); }
  tresult QUILLET_VST3_CALL setFrame(IPlugFrame*) override { return note("setFrame"); }
  tresult QUILLET_VST3_CALL canResize() override { return note("canResize"); }
  tresult QUILLET_VST3_CALL checkSizeConstraint(ViewRect*) override { return note("check"); }

 private:
  int32 note(const char* name) {
    calls.push_back(name);
    return static_cast<int32>(calls.size());
  }
};

TEST(Vst3Declarations, ViewMethodsSitInThePublishedSlots) {
  RecordingView view;
  ViewRect rect{};
  callSlot<tresult>(&view, 3, static_cast<FIDString>("HWND"));
  callSlot<tresult>(&view, 4, static_cast<void*>(nullptr), static_cast<FIDString>("HWND"));
  callSlot<tresult>(&view, 5);
  callSlot<tresult>(&view, 6, 1.0f);
  callSlot<tresult>(&view, 7, char16{'a'}, int16{0}, int16{0});
  callSlot<tresult>(&view, 8, char16{'a'}, int16{0}, int16{0});
  callSlot<tresult>(&view, 9, &rect);
  callSlot<tresult>(&view, 10, &rect);
  callSlot<tresult>(&view, 11, TBool{1});
  callSlot<tresult>(&view, 12, static_cast<IPlugFrame*>(nullptr));
  callSlot<tresult>(&view, 13);
  callSlot<tresult>(&view, 14, &rect);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"type", "attached", "removed", "wheel", "keyDown",
                                                  "keyUp", "getSize", "onSize", "focus", "setFrame",
                                                  "canResize", "check"}));
}

class RecordingUnitInfo : public IUnitInfo {
 public:
  std::vector<std::string> calls;
  tresult QUILLET_VST3_CALL queryInterface(const char8*, void**) override { return note("qi"); }
  uint32 QUILLET_VST3_CALL addRef() override { return 0; }
  uint32 QUILLET_VST3_CALL release() override { return 0; }
  int32 QUILLET_VST3_CALL getUnitCount() override { return note("unitCount"); }
  tresult QUILLET_VST3_CALL getUnitInfo(int32, UnitInfo&) override { return note("unitInfo"); }
  int32 QUILLET_VST3_CALL getProgramListCount() override { return note("listCount"); }
  tresult QUILLET_VST3_CALL getProgramListInfo(int32, ProgramListInfo&) override {
    return note("listInfo");
  }
  tresult QUILLET_VST3_CALL getProgramName(ProgramListID, int32, String128) override {
    return note("name");
  }
  tresult QUILLET_VST3_CALL getProgramInfo(ProgramListID, int32, CString, String128) override {
    return note("info");
  }
  tresult QUILLET_VST3_CALL hasProgramPitchNames(ProgramListID, int32) override {
    return note("hasPitchNames");
  }
  tresult QUILLET_VST3_CALL getProgramPitchName(ProgramListID, int32, int16, String128) override {
    return note("pitchName");
  }
  UnitID QUILLET_VST3_CALL getSelectedUnit() override { return note("selected"); }
  tresult QUILLET_VST3_CALL selectUnit(UnitID) override { return note("select"); }
  tresult QUILLET_VST3_CALL getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&) override {
    return note("byBus");
  }
  tresult QUILLET_VST3_CALL setUnitProgramData(int32, int32, IBStream*) override {
    return note("programData");
  }

 private:
  int32 note(const char* name) {
    calls.push_back(name);
    return static_cast<int32>(calls.size());
  }
};

class RecordingProgramListData : public IProgramListData {
 public:
  std::vector<std::string> calls;
  tresult QUILLET_VST3_CALL queryInterface(const char8*, void**) override { return note("qi"); }
  uint32 QUILLET_VST3_CALL addRef() override { return 0; }
  uint32 QUILLET_VST3_CALL release() override { return 0; }
  tresult QUILLET_VST3_CALL programDataSupported(ProgramListID) override {
    return note("supported");
  }
  tresult QUILLET_VST3_CALL getProgramData(ProgramListID, int32, IBStream*) override {
    return note("get");
  }
  tresult QUILLET_VST3_CALL setProgramData(ProgramListID, int32, IBStream*) override {
    return note("set");
  }

 private:
  int32 note(const char* name) {
    calls.push_back(name);
    return static_cast<int32>(calls.size());
  }
};

class RecordingUnitHandler : public IUnitHandler {
 public:
  std::vector<std::string> calls;
  tresult QUILLET_VST3_CALL queryInterface(const char8*, void**) override { return note("qi"); }
  uint32 QUILLET_VST3_CALL addRef() override { return 0; }
  uint32 QUILLET_VST3_CALL release() override { return 0; }
  tresult QUILLET_VST3_CALL notifyUnitSelection(UnitID) override { return note("selection"); }
  tresult QUILLET_VST3_CALL notifyProgramListChange(ProgramListID, int32) override {
    return note("listChange");
  }

 private:
  int32 note(const char* name) {
    calls.push_back(name);
    return static_cast<int32>(calls.size());
  }
};

TEST(Vst3Declarations, UnitAndProgramListMethodsSitInThePublishedSlots) {
  RecordingUnitInfo units;
  UnitInfo unit{};
  ProgramListInfo list{};
  String128 text{};
  UnitID found = 0;
  callSlot<int32>(&units, 3);
  callSlot<tresult>(&units, 4, int32{0}, &unit);
  callSlot<int32>(&units, 5);
  callSlot<tresult>(&units, 6, int32{0}, &list);
  callSlot<tresult>(&units, 7, ProgramListID{1}, int32{0}, static_cast<TChar*>(text));
  callSlot<tresult>(&units, 8, ProgramListID{1}, int32{0}, static_cast<CString>("Name"),
                    static_cast<TChar*>(text));
  callSlot<tresult>(&units, 9, ProgramListID{1}, int32{0});
  callSlot<tresult>(&units, 10, ProgramListID{1}, int32{0}, int16{60}, static_cast<TChar*>(text));
  callSlot<UnitID>(&units, 11);
  callSlot<tresult>(&units, 12, UnitID{0});
  callSlot<tresult>(&units, 13, MediaType{0}, BusDirection{0}, int32{0}, int32{0}, &found);
  callSlot<tresult>(&units, 14, int32{1}, int32{0}, static_cast<IBStream*>(nullptr));
  EXPECT_EQ(units.calls, (std::vector<std::string>{"unitCount", "unitInfo", "listCount", "listInfo",
                                                   "name", "info", "hasPitchNames", "pitchName",
                                                   "selected", "select", "byBus", "programData"}));

  RecordingProgramListData data;
  callSlot<tresult>(&data, 3, ProgramListID{1});
  for (int slot = 4; slot <= 5; ++slot)
    callSlot<tresult>(&data, slot, ProgramListID{1}, int32{0}, static_cast<IBStream*>(nullptr));
  EXPECT_EQ(data.calls, (std::vector<std::string>{"supported", "get", "set"}));

  RecordingUnitHandler handler;
  callSlot<tresult>(&handler, 3, UnitID{0});
  callSlot<tresult>(&handler, 4, ProgramListID{1}, int32{0});
  EXPECT_EQ(handler.calls, (std::vector<std::string>{"selection", "listChange"}));
}

}  // namespace
}  // namespace quillet::vst3
