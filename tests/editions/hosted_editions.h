// The VST3, CLAP and LV2 editions, and the VST 2.4 edition beside them, each
// loaded from its built library as hosts load it and driven block by block
// through one small interface, so a test can give every edition the same
// blocks and values and compare what comes out.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace quillet::test {

// A value for the next block: at `frame` frames into it.
struct Change {
  uint32_t frame;
  uint32_t index;  // in the parameter table
  float value;
};

class Edition {
 public:
  virtual ~Edition() = default;
  virtual const char* name() const = 0;
  // Before start: a value as a project holds it.
  virtual void set(uint32_t index, float value) = 0;
  virtual void start(double rate, uint32_t maxBlock, bool doublePrecision) = 0;
  // One stereo block with its changes (in time order). Formats without
  // changes inside a block (LV2, VST 2.4) are handed changes at frame 0 only
  // by the tests, except VST 2.4, which splits the block there as a host does.
  virtual void process(double* const* in, double* const* out, uint32_t frames,
                       const std::vector<Change>& changes) = 0;
  virtual std::string problem() const { return ""; }

  // Before start: factory preset `preset` (core/factory_presets.h) loaded
  // the way the format's hosts load it: VST 2.4 its .fxp, VST3 its program
  // (a host's program menu) or, with `vst3File`, its .vstpreset, CLAP the
  // preset its preset discovery lists, LV2 the values of the bundle's
  // presets.ttl. False with `error` when that fails.
  virtual bool loadFactoryPreset(int preset, bool vst3File, std::string* error) = 0;
  // The eleven values the edition holds, as its saved state gives them
  // (VST 2.4: its parameters; LV2: its control ports).
  virtual std::vector<float> heldValues() = 0;
};

enum class Kind { kVst2, kVst3, kClap, kLv2 };
std::unique_ptr<Edition> openEdition(Kind kind);

}  // namespace quillet::test
