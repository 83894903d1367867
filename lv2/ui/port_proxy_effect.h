// The effect the panel sees inside an LV2 UI. It has no engine and no host
// callback: it mirrors the control ports the host reports, sends the panel's
// changes to the host's write function, brackets gestures with ui:touch and
// answers the panel's tempo request with the host tempo port.
#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>

#include "core/param_table.h"
#include "vst/audio_effect_x.h"

// What the host handed to the UI for talking back to the plug-in.
struct UiHostPorts {
  LV2UI_Write_Function write = nullptr;
  LV2UI_Controller controller = nullptr;
  const LV2UI_Touch* touch = nullptr;  // null when the host offers no ui:touch
};

class PortProxyEffect : public AudioEffectX {
 public:
  explicit PortProxyEffect(const UiHostPorts& host);

  // Never called: the audio runs in the DSP library.
  void processReplacing(float** /*inputs*/, float** /*outputs*/, VstInt32 /*frames*/) override {}

  // A value the host reports for a control port: stored and shown.
  void setParameter(VstInt32 index, float value) override;
  float getParameter(VstInt32 index) override;
  // A change under the user's hand: stored, shown and written to the port.
  void setParameterAutomated(VstInt32 index, float value) override;
  bool beginEdit(VstInt32 index) override;
  bool endEdit(VstInt32 index) override;
  // The host tempo as the panel's note keys ask for it; null without one.
  VstTimeInfo* getTimeInfo(VstInt32 filter) override;

  // The value of the host tempo port, in beats per minute (0: none).
  void setHostTempo(float bpm);

 private:
  bool store(VstInt32 index, float value);
  void touch(VstInt32 index, bool grabbed);

  UiHostPorts host;
  float values[kNumQuilletParams];
  double tempo = 0.0;
  VstTimeInfo timeInfo;
};
