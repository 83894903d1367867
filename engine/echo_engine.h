// The tape-style echo: two feedback delay lines with filters and erf
// saturation, cross-feed and ping-pong routing, output mix, mute bypass and
// the stretching of the lines when the delay time changes.
//
// The engine knows nothing of the host or the parameter table: it is handed
// the eleven normalised values (EchoParams) with every call that needs them.
// All memory is taken in sampleRateChanged; processing never allocates.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>

#include "engine/biquad.h"
#include "engine/echo_params.h"
#include "engine/line_stretch.h"
#include "engine/one_pole_filter.h"
#include "engine/param_smoother.h"
#include "engine/stretch_spacing.h"
#include "engine/vector_erf.h"
#include "engine/vector_paths.h"

namespace quillet::engine {

class EchoEngine {
 public:
  // Millisecond clock that seeds the stretch noise. Without one the seed is 0.
  using TickSource = uint32_t (*)();

  EchoEngine() = default;
  EchoEngine(const EchoEngine&) = delete;
  EchoEngine& operator=(const EchoEngine&) = delete;

  void setTickSource(TickSource source) { tickSource = source; }

  // A routine that makes a stretch at once, for tests and benchmarks: the
  // direct transcription as the oracle, or stretchRings. It writes the new
  // rings into the spare lines, which then become the lines. Without one
  // (nullptr, the default) the engine spreads each stretch over the blocks
  // that follow it (see delay_resize.cpp); the lines end up the same either
  // way. Not while a block is processed.
  using StretchFunction = void (*)(const StretchRings& rings, uint32_t seed);
  void setStretchFunction(StretchFunction function);

  // Whether stretches are spaced: at most one in any kStretchSpacingMs, a new
  // length waiting until that time has passed since the last stretch began
  // (the formats whose hosts send values at their own frames). Off, as by
  // default, the lines stretch at the start of every echo block whose length
  // differs.
  void setStretchSpacing(bool on) { spacedStretches = on; }
  // Frames an echo block may run before a stretch that waits for the spacing
  // falls due; INT32_MAX when none waits (a block may then run to its end).
  int32_t framesBeforeStretchDue(const EchoParams& params) const;
  // Counts the frames a block ran towards the spacing (process does it; the
  // frame-by-frame oracle too).
  void countTowardsSpacing(int32_t frames);

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
  // True while part of the lines (or of the spare lines) that the mute
  // sequence emptied still holds old samples in memory (never read: see
  // line_clearing.cpp).
  bool lineClearPending() const { return linesUncleared.open() || spareUncleared.open(); }
  // Whether element i of the lines reads as 0 whatever its memory holds.
  bool countsAsCleared(int32_t i) const {
    return i >= linesUncleared.from && i < linesUncleared.to;
  }

  // Stretches both lines to the length "Delay" and "Range" give now, if it
  // differs from the present one and the spacing allows, and makes the whole
  // stretch at once (see delay_resize.cpp). Echo blocks instead begin the
  // stretch and make what each block reads, and a share of the rest.
  void resizeDelayLines(const EchoParams& params);
  // Makes at once what is left of a stretch being made.
  void finishStretch();
  // Whether element i of the lines holds its value: false only for the part
  // of a new ring that a stretch being made has not yet reached (which no
  // block reads before it is made).
  bool madeYet(int32_t i) const;

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

  // The left feedback path's three filters (the right one's are the same),
  // for estimates of how long the echo rings.
  const OnePoleFilter& feedbackHighPass() const { return hpL; }
  const Biquad& feedbackShelf() const { return shelfL; }
  const Biquad& feedbackLowPass() const { return lpL; }

 private:
  // The two vector forms of the echo block (echo_first_pass_avx2.cpp,
  // echo_block_neon.cpp) run on this state as the engine's own loop does.
  template <typename Sample>
  friend bool echoBlockAvx2(EchoEngine& engine, const Sample* const* inputs, Sample* const* outputs,
                            int32_t sampleFrames, int mode, bool monoOut, int32_t chunkLimit,
                            ErfArray vectorErf);
  template <typename Sample>
  friend bool echoBlockNeon(EchoEngine& engine, const Sample* const* inputs, Sample* const* outputs,
                            int32_t sampleFrames, int mode, bool monoOut, int32_t chunkLimit,
                            ErfArray vectorErf);
  // The test hook: the frame-by-frame oracle, tests and benchmarks pin and
  // read the state below through it (echo_engine_probe.h), and nothing else.
  friend struct EchoEngineProbe;

  // The engine's state; only the engine itself writes it.
  float sampleRate = 0.0f;
  std::unique_ptr<double[]> delayL;
  std::unique_ptr<double[]> delayR;
  // The other pair of lines: a stretch reads the old rings there while it
  // writes the new ones into the lines. Taken with the lines.
  std::unique_ptr<double[]> spareL;
  std::unique_ptr<double[]> spareR;
  // The 2 x 1 ms of old samples around the old position that the splice of
  // a stretch blends back in.
  std::unique_ptr<double[]> scratchL;
  std::unique_ptr<double[]> scratchR;
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
  void releaseDelayMemory();
  void runMuteSequence(const EchoParams& params);
  void jumpSmoothersTo(const EchoParams& params);
  // The histories of the six filters of the feedback path, back to rest.
  void clearFilterStates();
  void restartLinesEmpty(const EchoParams& params);
  // The bounded clear (see line_clearing.cpp). What holds throughout: an
  // element that counts as cleared (linesUncleared, spareUncleared) may hold
  // old samples, and is zeroed just before anything reads it: by
  // clearAheadOfEcho, what an echo block of sampleFrames frames is about to
  // read; by clearAheadOfStretch, the old pairs the next run of a stretch
  // (first, count frames) interpolates. A run whose pairs all count as
  // cleared reads none (makeStretchRun: its noise alone); the splice reads
  // them as 0. The rest is zeroed from the top down, a share per frame
  // (continueLineClear). So no block zeroes more than a few elements per
  // frame it runs or makes.
  void clearAheadOfEcho(int32_t sampleFrames);
  void clearAheadOfStretch(int32_t first, int32_t count);
  int32_t makeStretchRun(int32_t most);
  void continueLineClear(int32_t sampleFrames);
  // Before a stretch made at once of the old ring (oldLength), and after the
  // new ring (newLength) took the lines' place.
  void clearBeforeStretch(int32_t oldLength);
  void noteStretched(int32_t newLength);
  void clearLines(double* left, double* right, int32_t from, int32_t to);
  void swapLines();

  // The stretch (delay_resize.cpp): begun when the spacing allows it, made at
  // once by a stretch function, else in runs ahead of the echo.
  void beginStretch(const EchoParams& params);
  void makeStretchAhead(int32_t sampleFrames);
  void makeStretchUpTo(int32_t offsets);
  int32_t spliceLength(int32_t oldLength, int32_t newLength) const;
  void keepSpliceSamples(int32_t oldLength, int32_t oldPos, int32_t n, bool zeros);
  void splice(int32_t newLength, int32_t newPos, int32_t n, int32_t from, int32_t to);

  // Whether an echo block (or a stretch) has used the lines since they were
  // last emptied; and, for the lines and for the spare lines, the elements
  // [from, to) that count as empty but still hold old samples in memory (see
  // line_clearing.cpp).
  struct Uncleared {
    int32_t from = 0;
    int32_t to = 0;
    bool open() const { return from < to; }
  };
  bool linesInUse = false;
  Uncleared linesUncleared;
  Uncleared spareUncleared;

  // A stretch being made into the lines from the spare lines (the old
  // rings): offsets [0, maker.made()) from newPos of the new ring are made;
  // the echo has read the first `read` of them.
  struct StretchUnderWay {
    bool active = false;
    StretchMaker maker;
    int32_t newPos = 0;
    int32_t oldLength = 0;
    int32_t splice = 0;    // samples in each crossfade, 0 for none
    int32_t read = 0;      // frames the echo has run since the stretch began
    int32_t perFrame = 1;  // frames made per frame run: all within the spacing
  };
  StretchUnderWay underWay;
  int32_t spacingFrames = 1;
  bool spacedStretches = false;
  int32_t framesSinceStretch = INT32_MAX;

  TickSource tickSource = nullptr;
  StretchFunction stretch = nullptr;
  VectorPath widestPath = VectorPath::kAvx512;
  bool vectorErf = vectorErfMatchesLibrary();
};

}  // namespace quillet::engine
