// How a component and its controller talk through the host ("ivstmessage.h",
// "ivstattributes.h", "ivsthostapplication.h"): the host connects the two
// connection points (perhaps through a proxy of its own), messages are made
// by the host's IHostApplication::createInstance, and carry an attribute list.
#pragma once

#include "vst3/interface/base.h"
#include "vst3/interface/component.h"

namespace quillet::vst3 {

class IAttributeList : public FUnknown {
 public:
  using AttrID = const char8*;
  virtual tresult QUILLET_VST3_CALL setInt(AttrID id, int64 value) = 0;
  virtual tresult QUILLET_VST3_CALL getInt(AttrID id, int64& value) = 0;
  virtual tresult QUILLET_VST3_CALL setFloat(AttrID id, double value) = 0;
  virtual tresult QUILLET_VST3_CALL getFloat(AttrID id, double& value) = 0;
  virtual tresult QUILLET_VST3_CALL setString(AttrID id, const TChar* string) = 0;
  // sizeInBytes counts bytes, not characters.
  virtual tresult QUILLET_VST3_CALL getString(AttrID id, TChar* string, uint32 sizeInBytes) = 0;
  virtual tresult QUILLET_VST3_CALL setBinary(AttrID id, const void* data, uint32 sizeInBytes) = 0;
  virtual tresult QUILLET_VST3_CALL getBinary(AttrID id, const void*& data,
                                              uint32& sizeInBytes) = 0;
  QUILLET_VST3_IID(0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4);

 protected:
  ~IAttributeList() = default;
};

class IMessage : public FUnknown {
 public:
  virtual FIDString QUILLET_VST3_CALL getMessageID() = 0;
  virtual void QUILLET_VST3_CALL setMessageID(FIDString id) = 0;
  virtual IAttributeList* QUILLET_VST3_CALL getAttributes() = 0;
  QUILLET_VST3_IID(0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613);

 protected:
  ~IMessage() = default;
};

class IConnectionPoint : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL connect(IConnectionPoint* other) = 0;
  virtual tresult QUILLET_VST3_CALL disconnect(IConnectionPoint* other) = 0;
  virtual tresult QUILLET_VST3_CALL notify(IMessage* message) = 0;
  QUILLET_VST3_IID(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);

 protected:
  ~IConnectionPoint() = default;
};

// The context a host passes to initialize(): its name, and a maker of host
// objects (an IMessage, asked for with IMessage::iid as class and interface).
class IHostApplication : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL getName(String128 name) = 0;
  virtual tresult QUILLET_VST3_CALL createInstance(char8 cid[16], char8 iidBytes[16],
                                                   void** obj) = 0;
  QUILLET_VST3_IID(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

 protected:
  ~IHostApplication() = default;
};

}  // namespace quillet::vst3
