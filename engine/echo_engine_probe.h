// The test hook into an engine's state: the frame-by-frame oracle
// (reference_process.cpp), tests and benchmarks pin and read the lines, the
// filters and the smoothers through it. Nothing that ships with a plug-in
// uses it; they have EchoEngine's own interface.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/echo_engine.h"

namespace quillet::engine {

struct EchoEngineProbe {
  explicit EchoEngineProbe(EchoEngine& e)
      : sampleRate(e.sampleRate),
        delayL(e.delayL),
        delayR(e.delayR),
        spareL(e.spareL),
        spareR(e.spareR),
        scratchL(e.scratchL),
        scratchR(e.scratchR),
        writePos(e.writePos),
        delayLength(e.delayLength),
        antiDenormal(e.antiDenormal),
        hpL(e.hpL),
        hpR(e.hpR),
        shelfL(e.shelfL),
        shelfR(e.shelfR),
        lpL(e.lpL),
        lpR(e.lpR),
        muteGain(e.muteGain),
        level(e.level),
        feedback(e.feedback),
        dry(e.dry),
        pan(e.pan),
        xFeed(e.xFeed) {}

  float& sampleRate;
  std::unique_ptr<double[]>& delayL;
  std::unique_ptr<double[]>& delayR;
  std::unique_ptr<double[]>& spareL;
  std::unique_ptr<double[]>& spareR;
  std::unique_ptr<double[]>& scratchL;
  std::unique_ptr<double[]>& scratchR;
  int32_t& writePos;
  int32_t& delayLength;
  double& antiDenormal;
  OnePoleFilter& hpL;
  OnePoleFilter& hpR;
  Biquad& shelfL;
  Biquad& shelfR;
  Biquad& lpL;
  Biquad& lpR;
  ParamSmoother& muteGain;
  ParamSmoother& level;
  ParamSmoother& feedback;
  ParamSmoother& dry;
  ParamSmoother& pan;
  ParamSmoother& xFeed;
};

inline EchoEngineProbe probe(EchoEngine& engine) { return EchoEngineProbe(engine); }
// For checks that only read an engine they hold as const.
inline EchoEngineProbe probe(const EchoEngine& engine) {
  return EchoEngineProbe(const_cast<EchoEngine&>(engine));
}

}  // namespace quillet::engine
