// The class IDs: Steinberg's VST 2 replacement rule, pinned to the bytes a
// host derives from 'QTAP' and "Quillet K3", and to the text recorded in
// vst3/identity.cmake (passed in by the build).
#include <gtest/gtest.h>

#include <string>

#include "vst3/class_ids.h"

namespace quillet::vst3 {
namespace {

std::string textOf(const Uid& uid) {
  char8 text[33];
  uid.toString(text);
  return text;
}

TEST(Vst3ClassIds, ProcessorIdIsDerivedFromTheVst2UniqueIdAndName) {
  // 'VST', then 'QTAP', then "quillet k": in plain order the bytes spell it.
  const Uid plain = vst2ReplacementUid(kVst2UniqueId, "Quillet K3", false, UidOrder::Plain);
  EXPECT_EQ(std::string(plain.bytes, 16), "VSTQTAPquillet k");
  const Uid controller = vst2ReplacementUid(kVst2UniqueId, "Quillet K3", true, UidOrder::Plain);
  EXPECT_EQ(std::string(controller.bytes, 16), "VSEQTAPquillet k");
  // On Windows the first eight bytes take the GUID layout.
  const Uid com = vst2ReplacementUid(kVst2UniqueId, "Quillet K3", false, UidOrder::Com);
  EXPECT_EQ(std::string(com.bytes, 16), std::string("QTSVATqPuillet k"));
}

TEST(Vst3ClassIds, TheTextFormMatchesTheRecordedIdentity) {
  EXPECT_EQ(textOf(kProcessorClassId), QUILLET_VST3_PROCESSOR_CID);
  EXPECT_EQ(textOf(kControllerClassId), QUILLET_VST3_CONTROLLER_CID);
  EXPECT_EQ(textOf(kProcessorClassId), "565354515441507175696C6C6574206B");
}

TEST(Vst3ClassIds, BothVst2EditionsMapToOneProcessorId) {
  // QTAP_x64 calls itself "Quillet K3 (no GUI)": the rule reads nine characters.
  EXPECT_TRUE(vst2ReplacementUid(kVst2UniqueId, "Quillet K3 (no GUI)", false)
                  .equals(kProcessorClassId.bytes));
}

TEST(Vst3ClassIds, ShortNamesArePaddedWithZerosAndCaseIsFolded) {
  const Uid uid = vst2ReplacementUid(0x41424344, "AbC", false, UidOrder::Plain);
  EXPECT_EQ(std::string(uid.bytes, 16), std::string("VSTABCDabc\0\0\0\0\0\0", 16));
}

}  // namespace
}  // namespace quillet::vst3
