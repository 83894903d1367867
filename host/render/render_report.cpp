#include "host/render/render_report.h"

#include <cstdio>
#include <string>

namespace quillet::host {

namespace {

std::string tailText(const RenderOutcome& o) {
  char text[96];
  const double seconds = static_cast<double>(o.result.tailFrames) / o.sampleRate;
  if (!o.autoTail)
    std::snprintf(text, sizeof(text), "tail %.2f s", seconds);
  else if (o.result.quietReached)
    std::snprintf(text, sizeof(text), "tail %.2f s until quiet", seconds);
  else
    std::snprintf(text, sizeof(text), "tail %.2f s, limit reached before quiet", seconds);
  return text;
}

std::string clipText(const RenderOutcome& o) {
  if (o.clippedSamples == 0) return "";
  std::fprintf(stderr,
               "quillet-host: warning: %llu samples clipped writing %s samples to %s (peak %s "
               "dBFS before clipping); lower the level or use --format float\n",
               static_cast<unsigned long long>(o.clippedSamples), sampleFormatName(o.format),
               o.output.c_str(), decibels(o.clippedPeak).c_str());
  return " | " + std::to_string(o.clippedSamples) + " samples clipped (peak before " +
         decibels(o.clippedPeak) + " dBFS)";
}

}  // namespace

void drawProgress(double fraction) {
  const int width = 40;
  const int filled = static_cast<int>(fraction * width + 0.5);
  std::fprintf(stderr, "\r[%.*s%.*s] %3d%%", filled, "########################################",
               width - filled, "                                        ",
               static_cast<int>(fraction * 100.0 + 0.5));
  if (fraction >= 1.0) std::fprintf(stderr, "\r%60s\r", "");
  std::fflush(stderr);
}

void reportRender(const RenderOutcome& o) {
  std::string peaks, levels;
  for (const ChannelLevels& l : o.levels) {
    peaks += (peaks.empty() ? "" : "/") + decibels(l.peak);
    levels += (levels.empty() ? "" : "/") + decibels(l.rms);
  }
  const std::string clips = clipText(o);
  const double outSeconds = static_cast<double>(o.frames) / o.sampleRate;
  std::printf(
      "%s: %.2f s, %.0f Hz, %zu ch, %s | peak %s dBFS | RMS %s dBFS%s | %s | %.2f s, %.1fx real "
      "time\n",
      o.output.c_str(), outSeconds, o.sampleRate, o.levels.size(), sampleFormatName(o.format),
      peaks.c_str(), levels.c_str(), clips.c_str(), tailText(o).c_str(), o.seconds,
      o.seconds > 0.0 ? outSeconds / o.seconds : 0.0);
}

}  // namespace quillet::host
