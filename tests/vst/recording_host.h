// A host callback for unit tests: records every request and answers from a
// table the test fills. One host per process is enough for these tests.
#pragma once

#include <map>
#include <vector>

#include "vst/interface/vst2_interface.h"

struct HostCall {
  AEffect* effect;
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  void* ptr;
  float opt;
};

struct RecordingHost {
  static std::vector<HostCall>& calls() {
    static std::vector<HostCall> list;
    return list;
  }
  static std::map<VstInt32, VstIntPtr>& answers() {
    static std::map<VstInt32, VstIntPtr> table;
    return table;
  }
  static void reset() {
    calls().clear();
    answers().clear();
  }
  static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                            void* ptr, float opt) {
    calls().push_back({effect, opcode, index, value, ptr, opt});
    auto it = answers().find(opcode);
    return it == answers().end() ? 0 : it->second;
  }
};
