// The VST3 side of the commands that take any plug-in: each command's run
// function hands a path ending in .vst3 to these.
#pragma once

#include <string>
#include <vector>

namespace vsthost {

// quillet-host info BUNDLE.vst3: the factory, its classes, buses, latency, tail
// and every parameter with its text at its default.
int runVst3Info(const std::string& path);

// quillet-host snapshot BUNDLE.vst3: the controller's view opened in a host
// window with a run loop as a DAW gives one, run until two pictures in a row
// agree; the picture as RGB rows. False with a one-line `error`.
// A `hostScale` above 0 is given to the view as the host's content scale
// factor before it is sized.
bool captureVst3Panel(const std::string& path, const std::vector<std::string>& sets,
                      float hostScale, std::vector<unsigned char>* rgb, int* width, int* height,
                      std::string* error);

}  // namespace vsthost
