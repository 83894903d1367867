// The two class IDs of Quillet K3's VST3 module: read from the product's
// identity (cmake/identity.cmake), where they are declared once, and checked
// here against the rule they come from.
//
// Steinberg's guideline for a VST3 plug-in that replaces a VST 2 plug-in: give
// the VST3 processor the ID a host derives from the VST 2 unique ID and name,
// so a host that opens a project made with the VST 2 edition finds this one.
// The rule, from the guideline's FAQ ("How can I update my VST 2 version..."):
// the 32-digit text of the ID is
//   six hex digits of the three letters 'V','S','T' ('V','S','E' for the
//   edit controller), eight hex digits of the VST 2 unique ID, and two hex
//   digits for each of the first nine characters of the VST 2 name in lower
//   case (zero past its end),
// read like any ID text (first eight digits l1, next eight l2, ...), so the
// bytes in memory follow the platform's ID order (see Uid).
//
// For 'QTAP' and "Quillet K3" (both VST 2 editions: "Quillet K3 (no GUI)"
// shares the first nine characters "quillet k") this gives, in memory order
// on Linux, the ASCII text "VSTQTAPquillet k" for the processor and
// "VSEQTAPquillet k" for the controller.
#pragma once

#include "core/identity.h"
#include "vst3/interface/base.h"

namespace quillet::vst3 {

constexpr Uid vst2ReplacementUid(uint32 vst2UniqueId, const char* vst2Name, bool forController,
                                 UidOrder order = kPlatformUidOrder) {
  uint8 name[9] = {};
  for (int i = 0; i < 9 && vst2Name[i] != 0; ++i) {
    const char c = vst2Name[i];
    name[i] = static_cast<uint8>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  const uint32 prefix = (uint32{'V'} << 16) | (uint32{'S'} << 8) | (forController ? 'E' : 'T');
  const uint32 l1 = (prefix << 8) | (vst2UniqueId >> 24);
  const uint32 l2 = ((vst2UniqueId & 0xFFFFFF) << 8) | name[0];
  const uint32 l3 =
      (uint32{name[1]} << 24) | (uint32{name[2]} << 16) | (uint32{name[3]} << 8) | name[4];
  const uint32 l4 =
      (uint32{name[5]} << 24) | (uint32{name[6]} << 16) | (uint32{name[7]} << 8) | name[8];
  return Uid::fromLongs(l1, l2, l3, l4, order);
}

// The VST 2 edition's identity, as its plug-in record and name give it.
constexpr uint32 kVst2UniqueId = static_cast<uint32>(core::identity::kVst2UniqueId);
constexpr const char* kVst2EffectName = core::identity::kProductName;

constexpr Uid kProcessorClassId = Uid::fromText(core::identity::kVst3ProcessorClassId);
constexpr Uid kControllerClassId = Uid::fromText(core::identity::kVst3ControllerClassId);

static_assert(Uid::isText(core::identity::kVst3ProcessorClassId) &&
                  Uid::isText(core::identity::kVst3ControllerClassId),
              "cmake/identity.cmake declares each VST3 class ID as 32 hex digits");
static_assert(kProcessorClassId == vst2ReplacementUid(kVst2UniqueId, kVst2EffectName, false) &&
                  kControllerClassId == vst2ReplacementUid(kVst2UniqueId, kVst2EffectName, true),
              "the declared class IDs follow the VST 2 replacement rule");

}  // namespace quillet::vst3
