// A validator's audio buffers: every input and output channel in both
// precisions, with the pointer arrays a plug-in's process call takes.
#pragma once

#include <cstddef>
#include <vector>

namespace quillet::host {

struct ChannelBuffers {
  // `ins` and `outs` channels of `frames` zeros each, the pointers set.
  void resize(size_t ins, size_t outs, size_t frames) {
    inF.assign(ins, std::vector<float>(frames));
    outF.assign(outs, std::vector<float>(frames));
    inD.assign(ins, std::vector<double>(frames));
    outD.assign(outs, std::vector<double>(frames));
    inPtrF.clear();
    outPtrF.clear();
    inPtrD.clear();
    outPtrD.clear();
    for (auto& c : inF) inPtrF.push_back(c.data());
    for (auto& c : outF) outPtrF.push_back(c.data());
    for (auto& c : inD) inPtrD.push_back(c.data());
    for (auto& c : outD) outPtrD.push_back(c.data());
  }

  std::vector<std::vector<float>> inF, outF;
  std::vector<std::vector<double>> inD, outD;
  std::vector<float*> inPtrF, outPtrF;
  std::vector<double*> inPtrD, outPtrD;
};

}  // namespace quillet::host
