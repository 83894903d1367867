// A CLAP module and one plug-in instance of it, as quillet-host loads them: the
// file opened, clap_entry found and initialised, the plug-in created from the
// factory with our host record and initialised; closed, destroyed and
// unloaded in the right order. The instance's helpers make each call on the
// thread CLAP gives it: main-thread calls from the thread that made the host,
// processing under the audio role of the calling thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clap/interface/clap_audio_extensions.h"
#include "clap/interface/clap_gui.h"
#include "clap/interface/clap_plugin.h"
#include "clap/interface/clap_presets.h"
#include "host/plugin/clap/clap_events.h"
#include "host/plugin/clap/clap_host.h"

namespace quillet::host {

class ClapModule {
 public:
  // Empty with a one-line `error` for a file that does not load, has no
  // clap_entry, declares a CLAP version this host cannot use, or whose init
  // answers false.
  static std::unique_ptr<ClapModule> load(const std::string& path, std::string* error);
  ~ClapModule();
  ClapModule(const ClapModule&) = delete;
  ClapModule& operator=(const ClapModule&) = delete;

  const clap_plugin_entry_t& entry() const { return *entryRecord; }
  const std::string& path() const { return file; }
  const clap_plugin_factory_t* pluginFactory() const;
  // The stable id first, then the last draft's.
  const clap_preset_discovery_factory_t* presetFactory() const;

 private:
  ClapModule() = default;
  void* library = nullptr;
  const clap_plugin_entry_t* entryRecord = nullptr;
  std::string file;
};

class ClapInstance {
 public:
  // The first plug-in the factory describes, created and initialised.
  static std::unique_ptr<ClapInstance> create(const ClapModule& module, std::string* error);
  // Stops, deactivates and destroys the plug-in.
  ~ClapInstance();
  ClapInstance(const ClapInstance&) = delete;
  ClapInstance& operator=(const ClapInstance&) = delete;

  const clap_plugin_t* plugin() const { return clap; }
  const clap_plugin_descriptor_t& descriptor() const { return *clap->desc; }
  ClapHost& host() { return *hostSide; }
  template <typename Extension>
  const Extension* extension(const char* id) const {
    return static_cast<const Extension*>(clap->get_extension(clap, id));
  }
  const clap_plugin_params_t* params() const { return paramsExt; }
  const clap_plugin_audio_ports_t* audioPorts() const { return portsExt; }

  // ---- lifecycle ----
  bool activate(double rate, uint32_t minFrames, uint32_t maxFrames);
  void deactivate();
  // The calling thread takes the audio role until stopProcessing (on the
  // same thread).
  bool startProcessing();
  void stopProcessing();
  bool isActive() const { return active; }
  bool isProcessing() const { return processing; }
  // One process call under the calling thread's audio role.
  clap_process_status process(const clap_process_t& process);

  // ---- parameters ----
  uint32_t parameterCount() const;
  bool parameterInfo(uint32_t index, clap_param_info_t* info) const;
  bool parameterValue(clap_id id, double* value) const;
  // The plug-in's text for a value; empty when it gives none.
  std::string valueText(clap_id id, double value) const;
  // Events outside process: on the main thread while inactive, under the
  // audio role while active and not processing.
  void flush(const ClapInputEvents& in, ClapOutputEvents& out);
  // What the plug-in sent in the flushes the host made on its request_flush
  // (ClapHost::runFor), in order.
  ClapOutputEvents& requestedFlushEvents() { return flushedOut; }

  // ---- state ----
  bool saveState(std::vector<uint8_t>* bytes) const;
  // The stream hands out at most `chunk` bytes a call, as hosts may.
  bool loadState(const std::vector<uint8_t>& bytes, size_t chunk = SIZE_MAX);

 private:
  ClapInstance() = default;

  std::unique_ptr<ClapHost> hostSide;
  const clap_plugin_t* clap = nullptr;
  const clap_plugin_params_t* paramsExt = nullptr;
  const clap_plugin_audio_ports_t* portsExt = nullptr;
  bool active = false;
  bool processing = false;
  std::unique_ptr<ClapThreads::AudioRole> processingRole;
  ClapOutputEvents flushedOut;
};

// A module and one instance of it, as a host holds them.
struct OpenedClap {
  std::unique_ptr<ClapModule> module;
  std::unique_ptr<ClapInstance> instance;  // destroyed first

  ClapInstance& operator*() { return *instance; }
  ClapInstance* operator->() { return instance.get(); }
};

// False with a one-line `error`, as openPlugin for VST 2.4.
bool openClap(const std::string& path, OpenedClap* opened, std::string* error);

}  // namespace quillet::host
