// A minimal effect class for the adapter tests: sets nothing in its
// constructor and records which virtual operations the dispatchers reached.
#pragma once

#include <string>
#include <vector>

#include "vst/aeff_editor.h"
#include "vst/audio_effect_x.h"

class TestEffect : public AudioEffectX {
 public:
  explicit TestEffect(audioMasterCallback host, VstInt32 numPrograms = 0, VstInt32 numParams = 0)
      : AudioEffectX(host, numPrograms, numParams) {
    ++alive;
  }
  ~TestEffect() override { --alive; }

  void processReplacing(float**, float**, VstInt32) override { seen.push_back("processReplacing"); }
  void open() override { seen.push_back("open"); }
  void close() override { seen.push_back("close"); }
  void suspend() override { seen.push_back("suspend"); }
  void resume() override {
    seen.push_back("resume");
    AudioEffectX::resume();
  }
  void setProgram(VstInt32 program) override {
    seen.push_back("setProgram");
    AudioEffectX::setProgram(program);
  }
  VstInt32 getChunk(void** data, bool isPreset) override {
    seen.push_back(isPreset ? "getChunk program" : "getChunk bank");
    *data = nullptr;
    return 7;
  }
  VstInt32 setChunk(void*, VstInt32 byteSize, bool isPreset) override {
    seen.push_back(isPreset ? "setChunk program" : "setChunk bank");
    return byteSize;
  }
  void setSampleRate(float rate) override {
    seen.push_back("setSampleRate");
    AudioEffectX::setSampleRate(rate);
  }
  void setBlockSize(VstInt32 size) override {
    seen.push_back("setBlockSize");
    AudioEffectX::setBlockSize(size);
  }
  VstInt32 canDo(char* text) override {
    seen.push_back(std::string("canDo ") + (text ? text : "(null)"));
    return canDoAnswer;
  }

  using AudioEffect::callHost;
  using AudioEffectX::blockSize;
  using AudioEffectX::curProgram;
  using AudioEffectX::sampleRate;

  VstInt32 canDoAnswer = 0;
  std::vector<std::string> seen;
  static int alive;
};

// An editor that remembers what reached it.
class FakeEditor : public AEffEditor {
 public:
  explicit FakeEditor(AudioEffect* effect) : AEffEditor(effect) { effect->setEditor(this); }
  bool onKeyDown(VstKeyCode& key) override {
    lastKey = key;
    ++keyDowns;
    return key.character == 'A';
  }
  bool onKeyUp(VstKeyCode& key) override {
    lastKey = key;
    ++keyUps;
    return false;
  }
  bool setKnobMode(VstInt32 mode) override {
    knobMode = mode;
    return true;
  }
  bool getRect(ERect** rect) override {
    *rect = &area;
    return true;
  }
  bool open(void* parent) override {
    systemWindow = parent;
    return true;
  }
  void idle() override { ++idles; }

  VstKeyCode lastKey{};
  int keyDowns = 0, keyUps = 0, idles = 0;
  VstInt32 knobMode = -1;
  ERect area{0, 0, 385, 586};
};
