// quillet-host info for a VST3 plug-in: what a host reads of it before and
// after creating an instance.
#include <cstdio>
#include <string>

#include "host/commands/format_commands.h"
#include "host/plugin/vst3/vst3_instance.h"
#include "vst3/interface/units.h"

namespace quillet::host {

namespace {

using namespace quillet::host::vst3;

void row(const char* label, const std::string& value) {
  std::printf("%-17s %s\n", label, value.c_str());
}

std::string text(const char16* from, size_t limit) {
  std::string out;
  for (size_t i = 0; i < limit && from[i]; ++i)
    out.push_back(from[i] < 0x80 ? static_cast<char>(from[i]) : '?');
  return out;
}

std::string uidText(const Uid& uid) {
  char8 digits[33];
  uid.toString(digits);
  return digits;
}

std::string flagNames(int32 flags) {
  std::string out;
  const struct {
    int32 bit;
    const char* name;
  } names[] = {
      {ParameterInfo::kCanAutomate, "automate"}, {ParameterInfo::kIsReadOnly, "read-only"},
      {ParameterInfo::kIsList, "list"},          {ParameterInfo::kIsHidden, "hidden"},
      {ParameterInfo::kIsBypass, "bypass"},      {ParameterInfo::kIsProgramChange, "program"}};
  for (const auto& n : names)
    if (flags & n.bit) out += std::string(out.empty() ? "" : ",") + n.name;
  return out.empty() ? "-" : out;
}

void printBuses(IComponent* component) {
  for (BusDirection dir : {kInput, kOutput}) {
    const int32 count = component->getBusCount(kAudio, dir);
    for (int32 i = 0; i < count; ++i) {
      BusInfo bus{};
      if (component->getBusInfo(kAudio, dir, i, bus) != kResultOk) continue;
      row(dir == kInput ? "Audio input:" : "Audio output:",
          "\"" + text(bus.name, 128) + "\", " + std::to_string(bus.channelCount) + " channels" +
              (bus.busType == kMain ? ", main" : ", aux"));
    }
  }
  row("Event buses:", std::to_string(component->getBusCount(kEvent, kInput)) + " in, " +
                          std::to_string(component->getBusCount(kEvent, kOutput)) + " out");
}

void printParameters(IEditController* controller) {
  const int32 count = controller->getParameterCount();
  row("Parameters:", std::to_string(count));
  std::printf("  %5s  %-18s %-6s %-5s %-9s %-16s %s\n", "id", "title", "units", "steps", "default",
              "flags", "text at default");
  for (int32 i = 0; i < count; ++i) {
    ParameterInfo info{};
    if (controller->getParameterInfo(i, info) != kResultOk) continue;
    String128 shown{};
    const std::string value =
        controller->getParamStringByValue(info.id, info.defaultNormalizedValue, shown) == kResultOk
            ? text(shown, 128)
            : "(none)";
    std::printf("  %5u  %-18s %-6s %-5d %-9.6f %-16s %s\n", info.id, text(info.title, 128).c_str(),
                text(info.units, 128).c_str(), info.stepCount, info.defaultNormalizedValue,
                flagNames(info.flags).c_str(), value.c_str());
  }
}

// The controller's units and program lists (IUnitInfo), as hosts with a
// program menu read them.
void printPrograms(IEditController* controller) {
  void* found = nullptr;
  if (controller->queryInterface(IUnitInfo::iid.bytes, &found) != kResultOk || !found) {
    row("Program lists:", "none");
    return;
  }
  auto* units = static_cast<IUnitInfo*>(found);
  row("Units:", std::to_string(units->getUnitCount()));
  const int32 lists = units->getProgramListCount();
  row("Program lists:", std::to_string(lists));
  for (int32 l = 0; l < lists; ++l) {
    ProgramListInfo list{};
    if (units->getProgramListInfo(l, list) != kResultOk) continue;
    row("  List:", "\"" + text(list.name, 128) + "\" (ID " + std::to_string(list.id) + "), " +
                       std::to_string(list.programCount) + " programs");
    for (int32 p = 0; p < list.programCount; ++p) {
      String128 name{};
      if (units->getProgramName(list.id, p, name) == kResultOk)
        std::printf("  %5d  %s\n", p, text(name, 128).c_str());
    }
  }
  units->release();
}

}  // namespace

int printVst3Info(const std::string& path) {
  std::string error;
  auto module = Vst3Module::load(path, &error);
  if (!module) {
    std::fprintf(stderr, "quillet-host: %s\n", error.c_str());
    return 1;
  }
  const PFactoryInfo& factory = module->factoryInfo();
  row("File:", module->modulePath());
  row("Format:", "VST3");
  row("Vendor:", "\"" + std::string(factory.vendor) + "\"");
  row("URL:", "\"" + std::string(factory.url) + "\"");
  row("E-mail:", "\"" + std::string(factory.email) + "\"");
  for (const Vst3Class& c : module->classes()) {
    row("Class:", "\"" + c.name + "\" (" + c.category + ")");
    row("  ID:", uidText(c.cid));
    if (!c.subCategories.empty()) row("  Subcategories:", c.subCategories);
    row("  Version:", c.version + " (" + c.sdkVersion + ")");
  }
  auto instance = Vst3Instance::open(*module, &error);
  if (!instance) {
    std::fprintf(stderr, "quillet-host: %s\n", error.c_str());
    return 1;
  }
  printBuses(instance->component());
  double rate = 48000.0;
  if (instance->start(rate, 512, false, kRealtime, &error)) {
    row("Latency:", std::to_string(instance->processor()->getLatencySamples()) + " samples");
    const uint32 tail = instance->processor()->getTailSamples();
    row("Tail:", tail == kInfiniteTail ? std::string("infinite")
                                       : std::to_string(tail) + " samples at 48000 Hz");
    instance->stop();
  } else {
    row("Set-up:", error);
  }
  if (instance->controller()) {
    printParameters(instance->controller());
    printPrograms(instance->controller());
  }
  return 0;
}

}  // namespace quillet::host
