// The factory presets in the built VST3 bundle, as hosts find them: the
// root unit's program list with its program change (a host's program menu),
// the component's program data, and the .vstpreset files the build writes,
// read by quillet-host's reader and loaded as hosts load them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/factory_presets.h"
#include "core/state_codec.h"
#include "host/plugin/vst3/vst3_instance.h"
#include "host/presets/vst3_preset_load.h"
#include "host/presets/vst_preset_file.h"
#include "host/render/fixed_clock.h"
#include "vst3/interface/units.h"
#include "vst3/vst_preset.h"

namespace quillet::host::vst3 {
namespace {

constexpr ParamID kProgramChange = 101;
constexpr ProgramListID kList = 1;

std::string utf8(const char16* text) {
  std::string out;
  for (; *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

template <class Interface>
Interface* query(FUnknown* object) {
  void* found = nullptr;
  if (!object || object->queryInterface(Interface::iid.bytes, &found) != kResultOk) return nullptr;
  return static_cast<Interface*>(found);
}

std::vector<uint8> stateOf(const core::FactoryPreset& preset) {
  std::vector<uint8> bytes(quillet::core::kStateBytes);
  quillet::core::encodeState(preset.values, bytes.data());
  return bytes;
}

class Vst3FactoryPresets : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    module = Vst3Module::load(VST3_BUNDLE_PATH, &error);
    ASSERT_TRUE(module) << error;
    instance = open();
  }
  std::unique_ptr<Vst3Instance> open() {
    std::string error;
    auto made = Vst3Instance::open(*module, &error);
    EXPECT_TRUE(made && made->controller()) << error;
    return made;
  }
  // The processor's 44 bytes of values (its state without the bypass).
  static std::vector<uint8> valuesOf(Vst3Instance& p) {
    std::vector<uint8> bytes;
    EXPECT_TRUE(p.saveState(&bytes));
    if (bytes.size() > quillet::core::kStateBytes) bytes.resize(quillet::core::kStateBytes);
    return bytes;
  }
  static std::vector<float> controllerValues(Vst3Instance& p) {
    std::vector<float> values;
    for (ParamID id = 0; id < core::kNumQuilletParams; ++id)
      values.push_back(static_cast<float>(p.controller()->getParamNormalized(id)));
    return values;
  }

  std::unique_ptr<Vst3Module> module;
  std::unique_ptr<Vst3Instance> instance;
};

TEST_F(Vst3FactoryPresets, TheRootUnitListsTheNinePresetsWithAProgramChange) {
  IUnitInfo* units = query<IUnitInfo>(instance->controller());
  ASSERT_NE(units, nullptr);
  ASSERT_EQ(units->getUnitCount(), 1);
  UnitInfo unit{};
  ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
  EXPECT_EQ(unit.id, kRootUnitId);
  EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
  EXPECT_EQ(unit.programListId, kList);
  EXPECT_EQ(units->getUnitInfo(1, unit), kInvalidArgument);
  ASSERT_EQ(units->getProgramListCount(), 1);
  ProgramListInfo list{};
  ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
  EXPECT_EQ(list.id, kList);
  EXPECT_EQ(utf8(list.name), "Factory Presets");
  ASSERT_EQ(list.programCount, core::kNumFactoryPresets);
  ASSERT_EQ(core::kNumFactoryPresets, 9);
  for (int32 p = 0; p < list.programCount; ++p) {
    String128 name{};
    ASSERT_EQ(units->getProgramName(kList, p, name), kResultOk);
    EXPECT_EQ(utf8(name), core::kFactoryPresets[p].name);
    ASSERT_EQ(units->getProgramInfo(kList, p, "Name", name), kResultOk);
    EXPECT_EQ(utf8(name), core::kFactoryPresets[p].name);
  }
  String128 style{};
  ASSERT_EQ(units->getProgramInfo(kList, 0, "MusicalStyle", style), kResultOk);
  EXPECT_EQ(utf8(style), "Rock/Metal|Rockabilly");
  EXPECT_EQ(units->getProgramInfo(kList, 1, "MusicalStyle", style), kResultFalse);
  String128 none{};
  EXPECT_EQ(units->getProgramName(kList, 9, none), kInvalidArgument);
  EXPECT_EQ(units->getProgramName(kList, -1, none), kInvalidArgument);
  EXPECT_EQ(units->getProgramName(2, 0, none), kInvalidArgument);
  EXPECT_EQ(units->setUnitProgramData(kList, 0, nullptr), kResultFalse);
  units->release();

  // The program change: a list of the nine names, stepped over them, in the
  // root unit, not for automation lines.
  ParameterInfo info{};
  ASSERT_TRUE(instance->parameterInfo(12, &info));
  EXPECT_EQ(info.id, kProgramChange);
  EXPECT_EQ(info.stepCount, 8);
  EXPECT_EQ(info.unitId, kRootUnitId);
  EXPECT_EQ(info.flags, ParameterInfo::kIsProgramChange | ParameterInfo::kIsList);
  IEditController* c = instance->controller();
  String128 text{};
  ASSERT_EQ(c->getParamStringByValue(kProgramChange, 5 / 8.0, text), kResultOk);
  EXPECT_EQ(utf8(text), "Dub Throw");
  ASSERT_EQ(c->getParamStringByValue(kProgramChange, 0.3, text), kResultOk);  // nearest step
  EXPECT_EQ(utf8(text), "Dotted Eighth Ping-Pong");
  char16 typed[] = u"tape loop on the edge";
  ParamValue value = -1;
  ASSERT_EQ(c->getParamValueByString(kProgramChange, typed, value), kResultOk);
  EXPECT_EQ(value, 6 / 8.0);
  EXPECT_EQ(c->normalizedParamToPlain(kProgramChange, 6 / 8.0), 6.0);
  EXPECT_EQ(c->plainParamToNormalized(kProgramChange, 8.0), 1.0);
  EXPECT_EQ(c->plainParamToNormalized(kProgramChange, 30.0), 1.0);

  // The component hands out each program's state.
  IProgramListData* data = query<IProgramListData>(instance->component());
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->programDataSupported(kList), kResultTrue);
  EXPECT_EQ(data->programDataSupported(2), kResultFalse);
  for (int32 p = 0; p < core::kNumFactoryPresets; ++p) {
    MemoryStream stream;
    ASSERT_EQ(data->getProgramData(kList, p, &stream), kResultOk);
    EXPECT_EQ(stream.data, stateOf(core::kFactoryPresets[p])) << p;
  }
  MemoryStream stream;
  EXPECT_EQ(data->getProgramData(kList, 9, &stream), kInvalidArgument);
  EXPECT_EQ(data->setProgramData(kList, 0, &stream), kResultFalse);
  data->release();
}

TEST_F(Vst3FactoryPresets, AProgramChangeLoadsItsPresetInBothHalvesAndTellsTheHost) {
  std::string error;
  ASSERT_TRUE(instance->start(48000.0, 256, false, kRealtime, &error)) << error;
  for (int32 p = 0; p < core::kNumFactoryPresets; ++p) {
    // As a host's program menu: the controller first, then the processor
    // with the next block.
    instance->handler().clear();
    const ParamValue value = p / 8.0;
    ASSERT_EQ(instance->controller()->setParamNormalized(kProgramChange, value), kResultOk);
    instance->queueChange(kProgramChange, value);
    float* none[2] = {nullptr, nullptr};
    ASSERT_EQ(instance->process(none, none, 0), kResultOk);
    const core::FactoryPreset& preset = core::kFactoryPresets[p];
    EXPECT_EQ(controllerValues(*instance),
              std::vector<float>(preset.values, preset.values + core::kNumQuilletParams))
        << preset.name;
    EXPECT_EQ(valuesOf(*instance), stateOf(preset)) << preset.name;
    EXPECT_EQ(instance->controller()->getParamNormalized(kProgramChange), value);
    const std::vector<HandlerCall> calls = instance->handler().calls();
    ASSERT_EQ(calls.size(), 1u) << "the controller tells the host, and edits nothing";
    EXPECT_EQ(calls[0].kind, HandlerCall::kRestart);
    EXPECT_EQ(static_cast<int32>(calls[0].value) & kParamValuesChanged, kParamValuesChanged);
  }
  // A state that is a preset shows as that program; NaN changes nothing.
  ASSERT_TRUE(instance->restoreState(stateOf(core::kFactoryPresets[3]), &error)) << error;
  EXPECT_EQ(instance->controller()->getParamNormalized(kProgramChange), 3 / 8.0);
  EXPECT_EQ(instance->controller()->setParamNormalized(kProgramChange, std::nan("")),
            kInvalidArgument);
  EXPECT_EQ(controllerValues(*instance)[0], core::kFactoryPresets[3].values[0]);
}

// A host that calls itself "Ardour".
class ArdourLikeHost final : public IHostApplication {
 public:
  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override {
    if (FUnknown::iid.equals(iidBytes) || IHostApplication::iid.equals(iidBytes)) {
      *obj = this;
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 QUILLET_VST3_CALL addRef() override { return 2; }
  uint32 QUILLET_VST3_CALL release() override { return 1; }
  tresult QUILLET_VST3_CALL getName(String128 name) override {
    const char16 ardour[] = u"Ardour";
    std::memcpy(name, ardour, sizeof ardour);
    return kResultOk;
  }
  tresult QUILLET_VST3_CALL createInstance(char8*, char8*, void** obj) override {
    *obj = nullptr;
    return kResultFalse;
  }
};

TEST_F(Vst3FactoryPresets, ArdourIsNotSentARestartFromInsideItsOwnProgramChange) {
  // Ardour 7 holds a lock of its own while it sets a program and takes it
  // again in restartComponent: the controller leaves the restart out for it.
  const Vst3Class* controllerClass = module->firstOf(kVstComponentControllerClass);
  ASSERT_NE(controllerClass, nullptr);
  void* made = nullptr;
  ASSERT_EQ(module->factory()->createInstance(controllerClass->cid.bytes,
                                              IEditController::iid.bytes, &made),
            kResultOk);
  auto* controller = static_cast<IEditController*>(made);
  ArdourLikeHost ardour;
  ASSERT_EQ(controller->initialize(&ardour), kResultOk);
  ComponentHandler handler;
  ASSERT_EQ(controller->setComponentHandler(&handler), kResultOk);
  ASSERT_EQ(controller->setParamNormalized(kProgramChange, 5 / 8.0), kResultOk);
  EXPECT_TRUE(handler.calls().empty());
  EXPECT_EQ(static_cast<float>(controller->getParamNormalized(0)),
            core::kFactoryPresets[5].values[0]);
  // Any other host is told.
  ASSERT_TRUE(instance->controller()->setParamNormalized(kProgramChange, 5 / 8.0) == kResultOk);
  ASSERT_EQ(instance->handler().calls().size(), 1u);
  controller->setComponentHandler(nullptr);
  controller->terminate();
  controller->release();
}

TEST_F(Vst3FactoryPresets, AProgramChangeInsideABlockSoundsAtItsOwnFrame) {
  // One instance gets the program change at frame 100 of its third block,
  // the other the preset's eleven values there: the same samples. The new
  // "Delay" stretches the lines, with noise seeded from the clock: a clock
  // that stands still gives both the same.
  quillet::host::startFixedClock();
  auto values = open();
  ASSERT_TRUE(values);
  std::string error;
  const int32 block = 256, at = 100;
  const core::FactoryPreset& preset = core::kFactoryPresets[1];
  for (Vst3Instance* p : {instance.get(), values.get()})
    ASSERT_TRUE(p->start(48000.0, block, true, kRealtime, &error)) << error;
  std::vector<double> input(block * 12);
  for (size_t i = 0; i < input.size(); ++i) input[i] = 0.4 * std::sin(0.031 * i);
  std::vector<double> outs[2];
  Vst3Instance* both[2] = {instance.get(), values.get()};
  for (int which = 0; which < 2; ++which) {
    std::vector<double> inL = input, inR = input, left(input.size()), right(input.size());
    for (size_t start = 0, b = 0; start < input.size(); start += block, ++b) {
      if (b == 2 && which == 0) both[which]->queueChange(kProgramChange, 1 / 8.0, at);
      if (b == 2 && which == 1)
        for (ParamID id = 0; id < core::kNumQuilletParams; ++id)
          both[which]->queueChange(id, preset.values[id], at);
      double* in[2] = {inL.data() + start, inR.data() + start};
      double* out[2] = {left.data() + start, right.data() + start};
      ASSERT_EQ(both[which]->process(in, out, block), kResultOk);
      // The processor tells the host the values it took, at the frame.
      IParameterChanges& told = both[which]->lastOutputChanges();
      ASSERT_EQ(told.getParameterCount(), b == 2 && which == 0 ? core::kNumQuilletParams : 0) << b;
      for (int32 q = 0; q < told.getParameterCount(); ++q) {
        IParamValueQueue* queue = told.getParameterData(q);
        ASSERT_EQ(queue->getPointCount(), 1);
        int32 offset = -1;
        ParamValue value = -1;
        ASSERT_EQ(queue->getPoint(0, offset, value), kResultOk);
        EXPECT_EQ(offset, at);
        EXPECT_EQ(static_cast<float>(value), preset.values[queue->getParameterId()]);
      }
    }
    outs[which] = left;
  }
  ASSERT_EQ(outs[0], outs[1]);
  // Nothing moves before frame 100 of block 2; the echo changes from there.
  std::vector<double> plainL = input, plainR = input, plain(input.size()), plainRight(input.size());
  auto reference = open();
  ASSERT_TRUE(reference->start(48000.0, block, true, kRealtime, &error)) << error;
  for (size_t start = 0; start < input.size(); start += block) {
    double* in[2] = {plainL.data() + start, plainR.data() + start};
    double* out[2] = {plain.data() + start, plainRight.data() + start};
    ASSERT_EQ(reference->process(in, out, block), kResultOk);
  }
  size_t first = 0;
  while (first < plain.size() && plain[first] == outs[0][first]) ++first;
  EXPECT_GE(first, static_cast<size_t>(2 * block + at));
  EXPECT_LT(first, plain.size());
  EXPECT_EQ(valuesOf(*instance), stateOf(preset));
  quillet::host::stopFixedClock();
}

TEST_F(Vst3FactoryPresets, EachVstPresetFileLoadsItsPresetAsHostsLoadIt) {
  for (const core::FactoryPreset& preset : core::kFactoryPresets) {
    const std::string path =
        std::string(VST3_PRESET_DIR) + "/" + quillet::vst3::vstPresetFileName(preset);
    VstPresetFile file;
    std::string error;
    ASSERT_TRUE(readVstPresetFile(path, &file, &error)) << error;
    EXPECT_EQ(file.version, 1);
    EXPECT_EQ(file.classId, "565354515441507175696C6C6574206B");
    ASSERT_NE(file.chunk("Comp"), nullptr);
    EXPECT_EQ(file.chunk("Comp")->data, stateOf(preset))
        << "the 44 bytes: the bypass is left alone";
    EXPECT_EQ(file.chunk("Cont"), nullptr);
    ASSERT_NE(file.chunk("Info"), nullptr);
    const auto attributes = vstPresetAttributes(
        std::string(file.chunk("Info")->data.begin(), file.chunk("Info")->data.end()));
    std::vector<std::pair<std::string, std::string>> want = {{"MediaType", "VstPreset"},
                                                             {"PlugInName", "Quillet K3"},
                                                             {"PlugInCategory", "Fx|Delay"},
                                                             {"Name", preset.name}};
    if (preset.style) want.emplace_back("MusicalStyle", preset.style);
    EXPECT_EQ(attributes, want);

    auto fresh = open();
    ASSERT_TRUE(applyVstPreset(*fresh, *module, file, &error)) << error;
    EXPECT_EQ(valuesOf(*fresh), stateOf(preset));
    EXPECT_EQ(controllerValues(*fresh),
              std::vector<float>(preset.values, preset.values + core::kNumQuilletParams));
    // A bypass set before stays: a preset is not a project.
    fresh->queueChange(100, 1.0);
    float* none[2] = {nullptr, nullptr};
    ASSERT_TRUE(fresh->start(48000.0, 64, false, kRealtime, &error)) << error;
    ASSERT_EQ(fresh->process(none, none, 0), kResultOk);
    ASSERT_TRUE(applyVstPreset(*fresh, *module, file, &error)) << error;
    std::vector<uint8> saved;
    ASSERT_TRUE(fresh->saveState(&saved));
    ASSERT_EQ(saved.size(), quillet::core::kStateBytes + 4);
    float bypass = 0;
    std::memcpy(&bypass, saved.data() + quillet::core::kStateBytes, 4);
    EXPECT_EQ(bypass, 1.0f) << preset.name;
  }
}

TEST(VstPresetReader, RefusesWhatIsNotAPresetAndEveryCutOfOne) {
  const std::vector<uint8_t> whole =
      quillet::vst3::vstPresetBytes(core::kFactoryPresets[5], "Fx|Delay");
  VstPresetFile file;
  std::string error;
  ASSERT_TRUE(parseVstPreset(whole, &file, &error)) << error;
  EXPECT_EQ(file.chunks.size(), 2u);
  // Cut anywhere before the end, the chunk list is gone or points past it.
  for (size_t n = 0; n < whole.size(); ++n) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + n);
    EXPECT_FALSE(parseVstPreset(cut, &file, &error)) << n;
  }
  auto damaged = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = whole;
    bytes[at] = value;
    return parseVstPreset(bytes, &file, &error);
  };
  EXPECT_FALSE(damaged(0, 'X'));    // header
  EXPECT_FALSE(damaged(8, 'G'));    // class ID: not a hex digit
  EXPECT_FALSE(damaged(47, 0x7F));  // the list's offset far past the end
  const size_t list = whole.size() - 8 - 2 * 20;
  EXPECT_FALSE(damaged(list + 7, 0x40));       // a count of entries past the end
  EXPECT_FALSE(damaged(list + 8 + 11, 0x01));  // the first chunk's offset past the end
  EXPECT_FALSE(damaged(list + 8 + 19, 0x80));  // its size past the end
  EXPECT_FALSE(damaged(list + 8, 'X'));        // no 'Comp' chunk left
  // Another plug-in's preset is refused by the bundle, and so is a damaged state.
  std::string id(32, '0');
  VstPresetFile other = file;
  other.classId = id;
  std::string why;
  std::unique_ptr<Vst3Module> module = Vst3Module::load(VST3_BUNDLE_PATH, &why);
  ASSERT_TRUE(module) << why;
  auto instance = Vst3Instance::open(*module, &why);
  ASSERT_TRUE(instance) << why;
  EXPECT_FALSE(applyVstPreset(*instance, *module, other, &why));
  EXPECT_NE(why.find("class"), std::string::npos) << why;
  VstPresetFile shortState = file;
  shortState.chunks[0].data.resize(40);
  EXPECT_FALSE(applyVstPreset(*instance, *module, shortState, &why));
}

// A preset file whose chunk list names the given (offset, size) entries, all
// called 'Comp', over a body of `body` bytes after the header.
std::vector<uint8_t> presetWithEntries(const std::vector<std::pair<uint64_t, uint64_t>>& entries,
                                       size_t body) {
  std::vector<uint8_t> bytes(48 + body, 0x11);
  std::memcpy(bytes.data(), "VST3", 4);
  std::fill(bytes.begin() + 4, bytes.begin() + 8, 0);
  std::fill(bytes.begin() + 8, bytes.begin() + 40, 'A');
  auto put = [&](uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  const uint64_t listAt = bytes.size();
  for (int i = 0; i < 8; ++i) bytes[40 + i] = static_cast<uint8_t>(listAt >> (8 * i));
  bytes.insert(bytes.end(), {'L', 'i', 's', 't'});
  put(entries.size(), 4);
  for (const auto& [offset, size] : entries) {
    bytes.insert(bytes.end(), {'C', 'o', 'm', 'p'});
    put(offset, 8);
    put(size, 8);
  }
  return bytes;
}

TEST(VstPresetReader, ListEntriesThatShareBytesAreRefusedBeforeAnythingIsRead) {
  VstPresetFile file;
  std::string error;
  // 1000 entries naming the same kilobyte: read as they were, 1 MB from a
  // 21 KB file (a 2 MB file asked for 50 GB so). Refused, saying why.
  const std::vector<std::pair<uint64_t, uint64_t>> same(1000, {48, 1024});
  EXPECT_FALSE(parseVstPreset(presetWithEntries(same, 1024), &file, &error));
  EXPECT_NE(error.find("share bytes"), std::string::npos) << error;
  // Overlapping by one byte, and a chunk reaching into the list itself.
  EXPECT_FALSE(parseVstPreset(presetWithEntries({{48, 100}, {147, 10}}, 200), &file, &error));
  EXPECT_FALSE(parseVstPreset(presetWithEntries({{48, 101}}, 100), &file, &error));
  // Chunks that touch, and any number of empty ones, are a preset; what is
  // read is no larger than the file.
  const std::vector<uint8_t> touching =
      presetWithEntries({{48, 100}, {148, 100}, {248, 0}, {248, 0}, {60, 0}}, 200);
  ASSERT_TRUE(parseVstPreset(touching, &file, &error)) << error;
  size_t read = 0;
  for (const VstPresetChunk& chunk : file.chunks) read += chunk.data.size();
  EXPECT_EQ(file.chunks.size(), 5u);
  EXPECT_LE(read, touching.size());
}

}  // namespace
}  // namespace quillet::host::vst3
