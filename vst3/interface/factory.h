// The module's factory and the base of every plug-in object, as Steinberg's
// interface reference describes them ("ipluginbase.h"): what the factory says
// about its vendor and classes, in three generations (plain text, with
// categories and versions, and with UTF-16 names), and how it creates objects.
#pragma once

#include "vst3/interface/base.h"

namespace quillet::vst3 {

// Every plug-in object: initialize() receives the host's context (for an
// audio plug-in, its IHostApplication); an object whose initialize() fails is
// released at once without terminate(). terminate() drops every host
// reference before the host lets go of the object.
class IPluginBase : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL initialize(FUnknown* context) = 0;
  virtual tresult QUILLET_VST3_CALL terminate() = 0;
  QUILLET_VST3_IID(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

 protected:
  ~IPluginBase() = default;
};

// Who made the module. Texts are NUL-terminated within their arrays.
struct PFactoryInfo {
  enum FactoryFlags : int32 {
    kNoFlags = 0,
    kClassesDiscardable = 1 << 0,       // class list may differ per load: host must not cache
    kLicenseCheck = 1 << 1,             // class IDs are license IDs (Steinberg hosts)
    kComponentNonDiscardable = 1 << 3,  // never unload the module before the process ends
    kUnicode = 1 << 4,                  // names are UTF-16 (every VST3 module sets it)
  };
  enum { kURLSize = 256, kEmailSize = 128, kNameSize = 64 };

  char8 vendor[kNameSize];
  char8 url[kURLSize];
  char8 email[kEmailSize];
  int32 flags;
};

// One class of the module, first generation.
struct PClassInfo {
  enum { kManyInstances = 0x7FFFFFFF };  // cardinality of every ordinary class
  enum { kCategorySize = 32, kNameSize = 64 };

  char8 cid[16];  // the class ID in memory order (see Uid)
  int32 cardinality;
  char8 category[kCategorySize];  // "Audio Module Class", "Component Controller Class"
  char8 name[kNameSize];
};

// Second generation: adds flags, subcategories ("Fx|Delay", several joined by
// '|'), the vendor, the class version and the interface version it was made for.
struct PClassInfo2 {
  enum { kVendorSize = 64, kVersionSize = 64, kSubCategoriesSize = 128 };

  char8 cid[16];
  int32 cardinality;
  char8 category[PClassInfo::kCategorySize];
  char8 name[PClassInfo::kNameSize];
  uint32 classFlags;
  char8 subCategories[kSubCategoriesSize];
  char8 vendor[kVendorSize];
  char8 version[kVersionSize];     // "1.4.0" and the like
  char8 sdkVersion[kVersionSize];  // "VST 3.7.x": the interface version written against
};

// Third generation: the texts a user reads are UTF-16; category and
// subcategories stay 8-bit.
struct PClassInfoW {
  enum { kVendorSize = 64, kVersionSize = 64, kSubCategoriesSize = 128 };

  char8 cid[16];
  int32 cardinality;
  char8 category[PClassInfo::kCategorySize];
  char16 name[PClassInfo::kNameSize];
  uint32 classFlags;
  char8 subCategories[kSubCategoriesSize];
  char16 vendor[kVendorSize];
  char16 version[kVersionSize];
  char16 sdkVersion[kVersionSize];
};

// The object GetPluginFactory hands out. createInstance takes the class ID and
// the wanted interface ID as 16 raw bytes each.
class IPluginFactory : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32 QUILLET_VST3_CALL countClasses() = 0;
  virtual tresult QUILLET_VST3_CALL getClassInfo(int32 index, PClassInfo* info) = 0;
  virtual tresult QUILLET_VST3_CALL createInstance(FIDString cid, FIDString iidBytes,
                                                   void** obj) = 0;
  QUILLET_VST3_IID(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

 protected:
  ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
 public:
  virtual tresult QUILLET_VST3_CALL getClassInfo2(int32 index, PClassInfo2* info) = 0;
  QUILLET_VST3_IID(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

 protected:
  ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  virtual tresult QUILLET_VST3_CALL getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
  // The host's context for the factory itself (an IHostApplication or nothing).
  virtual tresult QUILLET_VST3_CALL setHostContext(FUnknown* context) = 0;
  QUILLET_VST3_IID(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);

 protected:
  ~IPluginFactory3() = default;
};

// Exported by the module, with C linkage, in the calling convention above.
using GetFactoryProc = IPluginFactory*(QUILLET_VST3_CALL*)();

}  // namespace quillet::vst3
