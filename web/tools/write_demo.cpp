// Writes quillet-host's built-in demo for the web page: the same material,
// rounded to 32-bit floats as the host hands it to a plug-in, so the page
// plays (and a test renders) exactly what `quillet-host render` feeds the
// echo. The page cannot make it itself: the demo is drawn with sin, cos and
// exp, whose last bits differ between the native C library and the
// WebAssembly one.
//
//   write_demo RATE OUTPUT   (raw little-endian 32-bit floats: all left
//                             samples, then all right samples)
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/render/demo_material.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: write_demo RATE OUTPUT\n");
    return 2;
  }
  const double rate = std::atof(argv[1]);
  if (!(rate >= 8000.0 && rate <= 384000.0)) {
    std::fprintf(stderr, "write_demo: %s is not a rate from 8000 to 384000 Hz\n", argv[1]);
    return 2;
  }
  const quillet::host::AudioData demo = quillet::host::demoMaterial(rate);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out) {
    std::perror(argv[2]);
    return 1;
  }
  bool ok = true;
  for (const std::vector<double>& channel : demo.channels) {
    std::vector<float> samples(channel.begin(), channel.end());
    ok = ok && std::fwrite(samples.data(), sizeof(float), samples.size(), out) == samples.size();
  }
  ok = std::fclose(out) == 0 && ok;
  if (!ok) std::fprintf(stderr, "write_demo: could not write %s\n", argv[2]);
  return ok ? 0 : 1;
}
