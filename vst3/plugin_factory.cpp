#include "vst3/plugin_factory.h"

#include <cstring>

#include "core/identity.h"
#include "vst3/class_ids.h"
#include "vst3/echo_controller.h"
#include "vst3/echo_processor.h"
#include "vst3/interface/component.h"
#include "vst3/unknown_support.h"

// What only VST3 hosts read comes from vst3/CMakeLists.txt; the rest is the
// product's identity.
#if !defined(QUILLET_VST3_CONTROLLER_NAME) || !defined(QUILLET_VST3_SUBCATEGORIES) || \
    !defined(QUILLET_VST3_INTERFACE_VERSION)
#error "the build passes the VST3 class texts from vst3/CMakeLists.txt"
#endif

namespace quillet::vst3 {

namespace {

constexpr const char* kVendor = core::identity::kVendor;
// The interface version these declarations follow.
constexpr const char* kInterfaceVersion = QUILLET_VST3_INTERFACE_VERSION;

struct ClassEntry {
  const Uid* cid;
  const char* category;
  const char* name;
  const char* subCategories;
  FUnknown* (*create)();
};

const ClassEntry kClasses[] = {
    {&kProcessorClassId, kVstAudioEffectClass, core::identity::kProductName,
     QUILLET_VST3_SUBCATEGORIES, &EchoProcessor::create},
    {&kControllerClassId, kVstComponentControllerClass, QUILLET_VST3_CONTROLLER_NAME, "",
     &EchoController::create},
};
constexpr int32 kClassCount = static_cast<int32>(sizeof kClasses / sizeof kClasses[0]);

template <size_t N>
void copyText(char8 (&to)[N], const char* from) {
  std::memset(to, 0, N);
  std::strncpy(to, from, N - 1);
}

template <size_t N>
void copyText(char16 (&to)[N], const char* from) {
  size_t i = 0;
  for (; from[i] && i + 1 < N; ++i)
    to[i] = static_cast<char16>(static_cast<unsigned char>(from[i]));
  for (; i < N; ++i) to[i] = 0;
}

// The factory's e-mail field, as a link.
constexpr char kMailto[] = "mailto:";
struct MailtoText {
  char text[sizeof kMailto + sizeof core::identity::kContactEmail];
  constexpr MailtoText() : text{} {
    size_t n = 0;
    for (size_t i = 0; kMailto[i]; ++i) text[n++] = kMailto[i];
    for (size_t i = 0; core::identity::kContactEmail[i]; ++i)
      text[n++] = core::identity::kContactEmail[i];
  }
};
constexpr MailtoText kMailtoContact;
constexpr const char* mailtoContact = kMailtoContact.text;

const ClassEntry* classAt(int32 index) {
  return index >= 0 && index < kClassCount ? &kClasses[index] : nullptr;
}

// The same fields for IPluginFactory2 (8-bit texts) and 3 (UTF-16 texts).
template <typename ClassInfo>
tresult fillClassInfo(const ClassEntry* entry, ClassInfo* info) {
  if (!entry || !info) return kInvalidArgument;
  std::memcpy(info->cid, entry->cid->bytes, 16);
  info->cardinality = PClassInfo::kManyInstances;
  copyText(info->category, entry->category);
  copyText(info->name, entry->name);
  info->classFlags = 0;  // not distributable: processor and controller share a process
  copyText(info->subCategories, entry->subCategories);
  copyText(info->vendor, kVendor);
  copyText(info->version, core::identity::kVersion);
  copyText(info->sdkVersion, kInterfaceVersion);
  return kResultOk;
}

class PluginFactory final : public IPluginFactory3 {
 public:
  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override {
    if (!obj || !iidBytes) return kInvalidArgument;
    if (offerInterface<FUnknown>(iidBytes, this, obj) ||
        offerInterface<IPluginFactory>(iidBytes, this, obj) ||
        offerInterface<IPluginFactory2>(iidBytes, this, obj) ||
        offerInterface<IPluginFactory3>(iidBytes, this, obj))
      return kResultOk;
    return noInterface(obj);
  }
  // The factory lives as long as the module: the count is for show.
  uint32 QUILLET_VST3_CALL addRef() override { return refs.add(); }
  uint32 QUILLET_VST3_CALL release() override {
    const uint32 left = refs.drop();
    return left == 0 ? 1 : left;
  }

  tresult QUILLET_VST3_CALL getFactoryInfo(PFactoryInfo* info) override {
    if (!info) return kInvalidArgument;
    copyText(info->vendor, kVendor);
    copyText(info->url, core::identity::kUrl);
    copyText(info->email, mailtoContact);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
  }

  int32 QUILLET_VST3_CALL countClasses() override { return kClassCount; }

  tresult QUILLET_VST3_CALL getClassInfo(int32 index, PClassInfo* info) override {
    const ClassEntry* entry = classAt(index);
    if (!entry || !info) return kInvalidArgument;
    std::memcpy(info->cid, entry->cid->bytes, 16);
    info->cardinality = PClassInfo::kManyInstances;
    copyText(info->category, entry->category);
    copyText(info->name, entry->name);
    return kResultOk;
  }

  tresult QUILLET_VST3_CALL createInstance(FIDString cid, FIDString iidBytes, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iidBytes) return kInvalidArgument;
    for (const ClassEntry& entry : kClasses) {
      if (!entry.cid->equals(cid)) continue;
      FUnknown* object = entry.create();
      if (!object) return kOutOfMemory;
      const tresult result = object->queryInterface(iidBytes, obj);
      object->release();  // the query's reference is the host's
      return result;
    }
    return kInvalidArgument;
  }

  tresult QUILLET_VST3_CALL getClassInfo2(int32 index, PClassInfo2* info) override {
    return fillClassInfo(classAt(index), info);
  }

  tresult QUILLET_VST3_CALL getClassInfoUnicode(int32 index, PClassInfoW* info) override {
    return fillClassInfo(classAt(index), info);
  }

  tresult QUILLET_VST3_CALL setHostContext(FUnknown* /*context*/) override { return kResultOk; }

 private:
  RefCount refs;
};

}  // namespace

IPluginFactory* pluginFactory() {
  static PluginFactory factory;
  factory.addRef();
  return &factory;
}

}  // namespace quillet::vst3
