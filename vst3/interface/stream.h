// The byte stream hosts pass to getState/setState ("ibstream.h"): one position
// shared by reading and writing. A read may deliver fewer bytes than asked;
// numBytesRead (when not null) tells how many came.
#pragma once

#include "vst3/interface/base.h"

namespace quillet::vst3 {

class IBStream : public FUnknown {
 public:
  enum IStreamSeekMode : int32 {
    kIBSeekSet = 0,  // from the start
    kIBSeekCur,      // from the current position
    kIBSeekEnd,      // from the end
  };

  virtual tresult QUILLET_VST3_CALL read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
  virtual tresult QUILLET_VST3_CALL write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
  virtual tresult QUILLET_VST3_CALL seek(int64 pos, int32 mode, int64* result) = 0;
  virtual tresult QUILLET_VST3_CALL tell(int64* pos) = 0;
  QUILLET_VST3_IID(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

 protected:
  ~IBStream() = default;
};

}  // namespace quillet::vst3
