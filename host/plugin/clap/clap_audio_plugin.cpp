#include "host/plugin/clap/clap_audio_plugin.h"

#include <algorithm>
#include <cmath>

namespace quillet::host {

double plainForNormalised(const clap_param_info_t& info, float value) {
  const float v = std::clamp(value, 0.0f, 1.0f);
  const double span = info.max_value - info.min_value;
  if (!(info.flags & CLAP_PARAM_IS_STEPPED)) return info.min_value + v * span;
  const int steps = static_cast<int>(std::lround(span));
  int step = 0;
  if (steps == 1) {
    step = v > 0.5f ? 1 : 0;
  } else if (steps == 2) {
    step = v < 0.33333334f ? 0 : v < 0.6666666f ? 1 : 2;
  } else if (steps > 2) {
    step = std::min(steps, static_cast<int>(v * static_cast<float>(steps + 1)));
  }
  return info.min_value + step;
}

ClapAudioPlugin::ClapAudioPlugin(ClapInstance& instance) : plugin(instance) {
  const uint32_t count = plugin.parameterCount();
  for (uint32_t i = 0; i < count; ++i) {
    clap_param_info_t info{};
    if (plugin.parameterInfo(i, &info)) infos.push_back(info);
  }
  if (const clap_plugin_audio_ports_t* ports = plugin.audioPorts()) {
    clap_audio_port_info_t port{};
    if (ports->count(plugin.plugin(), true) > 0 && ports->get(plugin.plugin(), 0, true, &port))
      inputs = port.channel_count;
    if (ports->count(plugin.plugin(), false) > 0 && ports->get(plugin.plugin(), 0, false, &port)) {
      outputs = port.channel_count;
      offers64 = (port.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS) != 0;
    }
  }
  pending.reserve(1024);  // room for points inside blocks, taken before any block
  out.reserve(1024);
}

std::string ClapAudioPlugin::parameterName(uint32_t index) {
  return index < infos.size() ? infos[index].name : "";
}

void ClapAudioPlugin::setParameter(uint32_t index, float value) {
  if (index >= infos.size()) return;
  pending.paramValue(0, infos[index].id, plainForNormalised(infos[index], value));
  if (!plugin.isProcessing()) {
    plugin.flush(pending, out);
    pending.clear();
  }
}

bool ClapAudioPlugin::setParameterAt(uint32_t index, float value, uint32_t frame) {
  if (index >= infos.size() || !plugin.isProcessing()) return false;
  pending.paramValue(frame, infos[index].id, plainForNormalised(infos[index], value));
  return true;
}

std::string ClapAudioPlugin::cannotProcess(bool doublePrecision) const {
  if (!isOpen()) return "the plug-in is closed";
  if (outputs == 0) return "the plug-in has no audio output port";
  if (doublePrecision && !offers64) return "the plug-in does not offer 64-bit processing";
  return "";
}

void ClapAudioPlugin::startProcessing(double sampleRate, uint32_t maxBlock, bool, double tempo) {
  rate = sampleRate;
  steadyTime = 0;
  transport = {};
  transport.header = {sizeof(transport), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
  transport.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE |
                    CLAP_TRANSPORT_HAS_SECONDS_TIMELINE | CLAP_TRANSPORT_HAS_TIME_SIGNATURE |
                    CLAP_TRANSPORT_IS_PLAYING;
  transport.tempo = tempo;
  transport.tsig_num = 4;
  transport.tsig_denom = 4;
  plugin.activate(sampleRate, 1, maxBlock);
  plugin.startProcessing();
}

void ClapAudioPlugin::moveTransport(uint64_t frame) {
  const double seconds = static_cast<double>(frame) / rate;
  const double beats = seconds * transport.tempo / 60.0;
  transport.song_pos_seconds =
      static_cast<clap_sectime>(std::llround(seconds * CLAP_SECTIME_FACTOR));
  transport.song_pos_beats = static_cast<clap_beattime>(std::llround(beats * CLAP_BEATTIME_FACTOR));
  transport.bar_number = static_cast<int32_t>(beats / 4.0);
  transport.bar_start = static_cast<clap_beattime>(transport.bar_number) * 4 * CLAP_BEATTIME_FACTOR;
}

template <typename Sample>
void ClapAudioPlugin::run(Sample** in, Sample** outputs_, uint32_t frames) {
  clap_audio_buffer_t input{}, output{};
  input.channel_count = static_cast<uint32_t>(inputs);
  output.channel_count = static_cast<uint32_t>(outputs);
  if constexpr (sizeof(Sample) == sizeof(double)) {
    input.data64 = in;
    output.data64 = outputs_;
  } else {
    input.data32 = in;
    output.data32 = outputs_;
  }
  clap_process_t block{};
  block.steady_time = steadyTime;
  block.frames_count = frames;
  block.transport = &transport;
  block.audio_inputs = &input;
  block.audio_outputs = &output;
  block.audio_inputs_count = inputs > 0 ? 1 : 0;
  block.audio_outputs_count = 1;
  block.in_events = pending.list();
  block.out_events = out.list();
  status = plugin.process(block);
  pending.clear();
  steadyTime += frames;
}

void ClapAudioPlugin::process(float** in, float** outputs_, uint32_t frames) {
  run(in, outputs_, frames);
}

void ClapAudioPlugin::process(double** in, double** outputs_, uint32_t frames) {
  run(in, outputs_, frames);
}

void ClapAudioPlugin::stopProcessing() {
  plugin.stopProcessing();
  plugin.deactivate();
}

}  // namespace quillet::host
