// Loads the built LV2 DSP library through lv2_descriptor and runs instances
// as an LV2 host does: a URID map, every port connected to buffers of ours.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <map>
#include <string>
#include <vector>

#include "lv2/lv2_ports.h"

// The host's URID map: URIs numbered from 1 in the order they are first asked.
class UridMap {
 public:
  UridMap() : map{this, &UridMap::mapUri}, feature{LV2_URID__map, &map} {}
  LV2_URID id(const char* uri) { return mapUri(this, uri); }
  const LV2_Feature* mapFeature() const { return &feature; }
  LV2_URID_Map* mapPointer() { return &map; }

 private:
  static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    auto& ids = static_cast<UridMap*>(handle)->ids;
    auto it = ids.find(uri);
    if (it != ids.end()) return it->second;
    const LV2_URID id = static_cast<LV2_URID>(ids.size() + 1);
    ids.emplace(uri, id);
    return id;
  }
  std::map<std::string, LV2_URID> ids;
  LV2_URID_Map map;
  LV2_Feature feature;
};

inline const LV2_Descriptor* quilletDescriptor() {
  static void* library = dlopen(QUILLET_LV2_DSP_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    ADD_FAILURE() << "cannot load " << QUILLET_LV2_DSP_PATH << ": " << dlerror();
    return nullptr;
  }
  using DescriptorFn = const LV2_Descriptor* (*)(uint32_t);
  auto fn = reinterpret_cast<DescriptorFn>(dlsym(library, "lv2_descriptor"));
  if (!fn) {
    ADD_FAILURE() << "no lv2_descriptor in " << QUILLET_LV2_DSP_PATH;
    return nullptr;
  }
  return fn(0);
}

// One instance with its own port buffers. Controls start at the declared
// defaults; blocks are at most kMaxBlock frames.
class Lv2Instance {
 public:
  static constexpr uint32_t kMaxBlock = 4096;

  explicit Lv2Instance(double rate = 48000.0, bool withMap = true) {
    const LV2_Descriptor* d = quilletDescriptor();
    if (!d) return;
    descriptor = d;
    const LV2_Feature* features[] = {withMap ? urids.mapFeature() : nullptr, nullptr};
    handle = d->instantiate(d, rate, "/nowhere/", features);
    if (!handle) return;
    for (int i = 0; i < quillet::core::kNumQuilletParams; ++i) {
      controls[i] = quillet::core::kQuilletParams[i].defaultValue;
      d->connect_port(handle, i, &controls[i]);
    }
    for (int c = 0; c < 2; ++c) {
      in[c].assign(kMaxBlock, 0.0f);
      out[c].assign(kMaxBlock, 0.0f);
    }
    connectAudio(in[0].data(), in[1].data(), out[0].data(), out[1].data());
    atomBuffer.assign(512, 0);
    sequenceType = urids.id(LV2_ATOM__Sequence);
    clearSequence();
    d->connect_port(handle, quillet::lv2::kPortControl, atomBuffer.data());
    d->connect_port(handle, quillet::lv2::kPortHostTempo, &hostTempo);
    lv2_atom_forge_init(&forge, urids.mapPointer());
  }
  ~Lv2Instance() {
    if (handle) {
      descriptor->deactivate(handle);
      descriptor->cleanup(handle);
    }
  }
  Lv2Instance(const Lv2Instance&) = delete;
  Lv2Instance& operator=(const Lv2Instance&) = delete;

  bool ok() const { return handle != nullptr; }
  void activate() { descriptor->activate(handle); }
  void run(uint32_t frames) {
    descriptor->run(handle, frames);
    clearSequence();  // events are for one block only
  }
  void connect(uint32_t port, void* data) { descriptor->connect_port(handle, port, data); }
  void connectAudio(float* inL, float* inR, float* outL, float* outR) {
    connect(quillet::lv2::kPortInL, inL);
    connect(quillet::lv2::kPortInR, inR);
    connect(quillet::lv2::kPortOutL, outL);
    connect(quillet::lv2::kPortOutR, outR);
  }

  // Puts one time:Position object into the next block's sequence; a NaN
  // tempo leaves the property out.
  void sendPosition(float bpm, bool withTempo = true) {
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(atomBuffer.data()),
                              atomBuffer.size() * sizeof(uint64_t));
    lv2_atom_forge_sequence_head(&forge, &frame, 0);
    LV2_Atom_Forge_Frame object;
    lv2_atom_forge_frame_time(&forge, 0);
    lv2_atom_forge_object(&forge, &object, 0, urids.id(LV2_TIME__Position));
    lv2_atom_forge_key(&forge, urids.id(LV2_TIME__speed));
    lv2_atom_forge_float(&forge, 1.0f);
    if (withTempo) {
      lv2_atom_forge_key(&forge, urids.id(LV2_TIME__beatsPerMinute));
      lv2_atom_forge_float(&forge, bpm);
    }
    lv2_atom_forge_pop(&forge, &object);
    lv2_atom_forge_pop(&forge, &frame);
  }
  LV2_Atom_Sequence* sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(atomBuffer.data()); }

  float controls[quillet::core::kNumQuilletParams] = {};
  std::vector<float> in[2], out[2];
  float hostTempo = -1.0f;
  UridMap urids;

 private:
  void clearSequence() {
    auto* seq = sequence();
    seq->atom.type = sequenceType;
    seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
    seq->body.unit = 0;
    seq->body.pad = 0;
  }

  const LV2_Descriptor* descriptor = nullptr;
  LV2_Handle handle = nullptr;
  LV2_URID sequenceType = 0;
  std::vector<uint64_t> atomBuffer;  // 64-bit words: atoms are 8-byte aligned
  LV2_Atom_Forge forge;
};
