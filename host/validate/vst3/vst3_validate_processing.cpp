// The VST3 validator: processing (block lengths, 0-frame blocks, both
// precisions, in place), the audio thread against the user-interface thread,
// and allocation inside process.
#include <cmath>

#include "host/validate/allocation_trap.h"
#include "host/validate/vst3/vst3_validator.h"

namespace quillet::host::vst3 {

namespace {

// A block that carries only parameter changes: no buffers at all.
tresult flush(Vst3Instance& p, int32 sampleSize) {
  ParameterChanges changes;
  ProcessData data{};
  data.symbolicSampleSize = sampleSize;
  data.numSamples = 0;
  data.inputParameterChanges = &changes;
  return p.processor()->process(data);
}

}  // namespace

void validateVst3Processing(Vst3Context& ctx) {
  for (bool use64 : {false, true}) {
    const std::string check = std::string("process, ") + (use64 ? "64-bit" : "32-bit");
    auto p = ctx.instance(check);
    if (!p) return;
    std::string problem, error;
    const int32 maxBlock = 1024;
    if (!p->start(48000.0, maxBlock, use64, kRealtime, &error)) problem = error;
    Vst3Harness harness(*p, ctx.options.seed + (use64 ? 1 : 0), maxBlock, use64);
    const std::vector<ParamID> ids = automatableIds(*p);
    Random random(ctx.options.seed + 11);
    int blocks = 0;
    for (int32 frames : {1, 2, 3, 7, 64, 100, 511, 512, 513, 1000, 1024, 0, 0, 333}) {
      for (int r = 0; r < 4 && problem.empty(); ++r) {
        if (!ids.empty()) p->queueChange(ids[random.next() % ids.size()], random.unit());
        problem = harness.block(frames, r == 3);
        if (!problem.empty()) problem += " (block of " + std::to_string(frames) + ")";
        ++blocks;
      }
    }
    if (problem.empty() && flush(*p, use64 ? kSample64 : kSample32) != kResultOk)
      problem = "a block of 0 frames without buffers was refused";
    p->stop();
    ctx.report.result(
        check, problem,
        std::to_string(blocks) + " blocks of 0 to 1024 frames with changes, noise and silence");
  }
  {
    // 0-frame blocks between blocks (parameter flushes) leave the sound alone.
    const std::string check = "0-frame blocks change no sample";
    auto a = ctx.instance(check);
    auto b = ctx.instance(check);
    if (!a || !b) return;
    std::string problem, error;
    if (!a->start(48000.0, 256, false, kRealtime, &error) ||
        !b->start(48000.0, 256, false, kRealtime, &error))
      problem = error;
    Vst3Harness ha(*a, ctx.options.seed, 256, false), hb(*b, ctx.options.seed, 256, false);
    for (int block = 0; block < 100 && problem.empty(); ++block) {
      problem = ha.block(256);
      if (problem.empty()) problem = hb.block(0);
      if (problem.empty()) problem = hb.block(256);
      if (problem.empty() && ha.lastOutput() != hb.lastOutput())
        problem = "block " + std::to_string(block) + " differs after a 0-frame block";
    }
    a->stop();
    b->stop();
    ctx.report.result(check, problem, "100 blocks, each after an empty one, sample for sample");
  }
}

void validateVst3Threads(Vst3Context& ctx) {
  std::string detail;
  const std::string problem =
      runVst3ThreadCheck(ctx.module, ctx.options.threadSeconds, ctx.options.seed, false, &detail);
  ctx.report.result("thread safety", problem, detail);
}

void validateVst3Allocation(Vst3Context& ctx) {
  const std::string base = "no allocation while processing";
  if (!quillet::host::allocation_trap::available()) {
    ctx.report.note(base + ": the allocator cannot be watched on this system");
    return;
  }
  for (bool use64 : {false, true}) {
    const std::string check = base + (use64 ? ", 64-bit" : ", 32-bit");
    auto p = ctx.instance(check);
    if (!p) return;
    std::string problem, error;
    if (!p->start(48000.0, 512, use64, kRealtime, &error)) problem = error;
    Vst3Harness harness(*p, ctx.options.seed, 512, use64);
    const std::vector<ParamID> ids = automatableIds(*p);
    Random random(ctx.options.seed + 53);
    size_t seen = 0;
    // Bypass switched on and off on the way: its fade runs too.
    ParamID bypass = kNoParamId;
    for (int32 i = 0; i < p->parameterCount(); ++i) {
      ParameterInfo info{};
      if (p->parameterInfo(i, &info) && (info.flags & ParameterInfo::kIsBypass)) bypass = info.id;
    }
    for (int b = 0; b < 200 && problem.empty(); ++b) {
      if (b % 10 == 0 && !ids.empty())
        p->queueChange(ids[random.next() % ids.size()], random.unit());
      if (b % 50 == 20 && bypass != kNoParamId) p->queueChange(bypass, (b / 50) % 2 ? 0.0 : 1.0);
      seen += quillet::host::allocation_trap::countIn(
          [&] { problem = harness.block(b % 3 ? 512 : (b % 7 ? 100 : 0), b % 5 == 4); });
    }
    p->stop();
    if (problem.empty() && seen > 0)
      problem = std::to_string(seen) + " allocations or releases inside process";
    ctx.report.result(check, problem, "200 blocks with changes, bypass on and off");
  }
}

}  // namespace quillet::host::vst3
