// The tape-style echo: two feedback delay lines with filters and erf
// saturation, cross-feed and ping-pong routing, output mix, mute bypass and
// the stretching of the lines when the delay time changes.
//
// The engine knows nothing of the host or the parameter table: it is handed
// the eleven normalised values (EchoParams) with every call that needs them.
// All memory is taken in sampleRateChanged; processing never allocates.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/biquad.h"
#include "engine/echo_params.h"
#include "engine/line_stretch.h"
#include "engine/one_pole_filter.h"
#include "engine/param_smoother.h"
#include "engine/vector_erf.h"
#include "engine/vector_paths.h"

class EchoEngine {
 public:
  // Millisecond clock that seeds the stretch noise. Without one the seed is 0.
  using TickSource = uint32_t (*)();

  EchoEngine() = default;
  EchoEngine(const EchoEngine&) = delete;
  EchoEngine& operator=(const EchoEngine&) = delete;

  void setTickSource(TickSource source) { tickSource = source; }

  // The routine that stretches the rings; the fast one unless a test or
  // benchmark installs the direct transcription as the oracle. The fast one
  // works on the lines in place; any other writes into two spare arrays,
  // which the engine then holds beside the lines (taken here if the engine
  // has memory, else at setup), and its result is copied into the lines,
  // which so end up the same. Not while a block is processed.
  using StretchFunction = void (*)(const StretchRings& rings, uint32_t seed);
  void setStretchFunction(StretchFunction function);

  // Takes the delay memory for rate fs, computes every coefficient and puts
  // the control smoothers onto the given values. At a rate the echo cannot run
  // at, or if memory is short, the engine holds no memory and passes audio
  // through until the next successful call.
  void sampleRateChanged(float fs, const EchoParams& params);

  // Begins again at the present rate without taking memory, as sampleRateChanged
  // leaves a fresh engine: empty lines at the length "Delay" and "Range" give,
  // filters at rest, the control smoothers on the given values. Lines an echo
  // block has used are emptied before the next echo block (see
  // line_clearing.cpp). "Mute"'s gain is left as it is.
  void restart(const EchoParams& params);

  // Reacts to a stored change of the value with this index: retargets its
  // smoother, or, for "Mute" switched on, runs the mute sequence.
  void parameterChanged(int index, const EchoParams& params);

  // One block of stereo audio. Null channel arrays are left alone; before a
  // usable sample rate the input is copied to the output unchanged.
  void process(const EchoParams& params, bool monoIO, const float* const* inputs,
               float* const* outputs, int32_t sampleFrames);
  void process(const EchoParams& params, bool monoIO, const double* const* inputs,
               double* const* outputs, int32_t sampleFrames);

  // Empties all four arrays and restarts the lines at position 0 with the
  // length "Delay" and "Range" give now.
  void resetDelayLines(const EchoParams& params);

  // Completes at once the clear the mute sequence left (see
  // line_clearing.cpp) and notes that the lines are in use again. The
  // engine's own echo blocks instead empty only what each block reads and a
  // bounded share of the rest; the frame-by-frame oracle calls this.
  void prepareLinesForEcho();
  // True while part of the lines that the mute sequence emptied still holds
  // old samples in memory (never read: see line_clearing.cpp).
  bool lineClearPending() const { return unclearedFrom < unclearedTo; }
  // Whether element i of the lines reads as 0 whatever its memory holds.
  bool countsAsCleared(int32_t i) const { return i >= unclearedFrom && i < unclearedTo; }

  // Stretches both lines to the length "Delay" and "Range" give now, if it
  // differs from the present one (see delay_resize.cpp).
  void resizeDelayLines(const EchoParams& params);

  // The widest vectors the block loop may use: 256-bit where the processor
  // has AVX2 and this allows it, 128-bit otherwise. Tests pin each in turn.
  void setWidestPath(VectorPath path) { widestPath = path; }

  // Whether the loops take erf from the vector code (only where it passed its
  // check against the C library when the library loaded) or from the library
  // call by call. Tests and benchmarks compare the two.
  void setVectorErf(bool on) { vectorErf = on && vectorErfMatchesLibrary(); }

  bool hasDelayMemory() const { return delayL != nullptr; }
  // Elements in each of the four arrays; 0 without delay memory.
  int32_t capacity() const;
  // The ring length "Delay" and "Range" select at the present rate, within
  // 1 .. capacity().
  int32_t targetDelayLength(const EchoParams& params) const;

  // Engine state. Public so tests and benchmarks can pin it; only the engine
  // itself writes it.
  float sampleRate = 0.0f;
  std::unique_ptr<double[]> delayL;
  std::unique_ptr<double[]> delayR;
  // The stretch's working room beside the lines, a few thousand elements
  // each (stretchScratchElements).
  std::unique_ptr<double[]> scratchL;
  std::unique_ptr<double[]> scratchR;
  // Whole spare lines, only for a stretch function that does not work in
  // place (the oracle of tests and benchmarks); null otherwise.
  std::unique_ptr<double[]> spareL;
  std::unique_ptr<double[]> spareR;
  int32_t writePos = 0;
  int32_t delayLength = 0;
  static constexpr double kAntiDenormal = 1e-15;
  double antiDenormal = kAntiDenormal;
  OnePoleFilter hpL, hpR;
  Biquad shelfL, shelfR;
  Biquad lpL, lpR;
  ParamSmoother muteGain;
  ParamSmoother level;
  ParamSmoother feedback;
  ParamSmoother dry;
  ParamSmoother pan;
  ParamSmoother xFeed;

 private:
  template <typename Sample>
  void processBlock(const EchoParams& params, bool monoIO, const Sample* const* inputs,
                    Sample* const* outputs, int32_t sampleFrames);
  template <typename Sample>
  void processMuted(const Sample* const* inputs, Sample* const* outputs, int32_t sampleFrames);
  template <typename Sample>
  void processEcho(const EchoParams& params, bool monoIO, const Sample* const* inputs,
                   Sample* const* outputs, int32_t sampleFrames);
  // What every echo block begins with, in either build of processEcho: the
  // anti-denormal offset's new sign, the smoothers' settle test, the lines
  // stretched to the delay; then the routing and the largest chunk.
  struct EchoBlockStart {
    int mode;  // 0..2 PingPong's position, 3 mono in and out
    bool monoOut;
    int32_t chunkLimit;
  };
  EchoBlockStart beginEchoBlock(const EchoParams& params, bool monoIO, int32_t sampleFrames);

  bool allocateDelayMemory(int32_t elements);
  bool allocateSpareLines(int32_t elements);
  void releaseDelayMemory();
  int32_t scratchElements(int32_t elements) const;
  void runMuteSequence(const EchoParams& params);
  void jumpSmoothersTo(const EchoParams& params);
  // The histories of the six filters of the feedback path, back to rest.
  void clearFilterStates();
  void restartLinesEmpty(const EchoParams& params);
  // The bounded clear of every block (see line_clearing.cpp): zeroes what
  // an echo block of sampleFrames frames is about to read of the uncleared
  // part, and a share of the rest from the top down.
  void clearAheadOfEcho(int32_t sampleFrames);
  void continueLineClear(int32_t sampleFrames);
  // Before a stretch of the old ring (oldLength) to newLength, and after it.
  void clearBeforeStretch(int32_t oldLength);
  void noteStretched(int32_t newLength);
  void clearLines(int32_t from, int32_t to);
  int32_t spliceLength(int32_t oldLength, int32_t newLength) const;
  void splice(const double* oldL, const double* oldR, int32_t oldLength, int32_t oldPos, int32_t n,
              double* newL, double* newR, int32_t newLength, int32_t newPos);

  // Whether an echo block has used the lines since they were last emptied,
  // and the elements [unclearedFrom, unclearedTo) of both that count as
  // empty but still hold old samples in memory (see line_clearing.cpp).
  bool linesInUse = false;
  int32_t unclearedFrom = 0;
  int32_t unclearedTo = 0;

  TickSource tickSource = nullptr;
  StretchFunction stretch = &stretchRings;
  VectorPath widestPath = VectorPath::kAvx512;
  bool vectorErf = vectorErfMatchesLibrary();
};
