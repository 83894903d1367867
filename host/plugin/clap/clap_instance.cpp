#include "host/plugin/clap/clap_instance.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/plugin/dynamic_library.h"

namespace quillet::host {

std::unique_ptr<ClapModule> ClapModule::load(const std::string& path, std::string* error) {
  // The loader's own message for a missing file is obscure; say it plainly.
  FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  std::fclose(probe);
  std::unique_ptr<ClapModule> module(new ClapModule);
  module->file = path;
  std::string why;
  module->library = openLibrary(path, &why);
  if (!module->library) {
    *error = path + ": " + why;
    return nullptr;
  }
  module->entryRecord =
      static_cast<const clap_plugin_entry_t*>(findSymbol(module->library, "clap_entry"));
  const clap_plugin_entry_t* entry = module->entryRecord;
  if (!entry) {
    *error = path + ": no clap_entry (not a CLAP plug-in)";
    return nullptr;
  }
  if (!qclap_version_is_compatible(entry->clap_version)) {
    *error = path + ": CLAP " + std::to_string(entry->clap_version.major) + "." +
             std::to_string(entry->clap_version.minor) + " is older than 1.0";
    module->entryRecord = nullptr;
    return nullptr;
  }
  if (!entry->init || !entry->deinit || !entry->get_factory || !entry->init(path.c_str())) {
    *error = path + ": clap_entry.init failed";
    module->entryRecord = nullptr;
    return nullptr;
  }
  return module;
}

ClapModule::~ClapModule() {
  if (entryRecord) entryRecord->deinit();
  closeLibrary(library);
}

const clap_plugin_factory_t* ClapModule::pluginFactory() const {
  return static_cast<const clap_plugin_factory_t*>(
      entryRecord->get_factory(CLAP_PLUGIN_FACTORY_ID));
}

const clap_preset_discovery_factory_t* ClapModule::presetFactory() const {
  const void* f = entryRecord->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID);
  if (!f) f = entryRecord->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT);
  return static_cast<const clap_preset_discovery_factory_t*>(f);
}

std::unique_ptr<ClapInstance> ClapInstance::create(const ClapModule& module, std::string* error) {
  const clap_plugin_factory_t* factory = module.pluginFactory();
  const clap_plugin_descriptor_t* descriptor = factory && factory->get_plugin_count(factory) > 0
                                                   ? factory->get_plugin_descriptor(factory, 0)
                                                   : nullptr;
  if (!descriptor || !descriptor->id) {
    *error = module.path() + ": no plug-in in its factory";
    return nullptr;
  }
  std::unique_ptr<ClapInstance> instance(new ClapInstance);
  instance->hostSide = std::make_unique<ClapHost>();
  instance->clap = factory->create_plugin(factory, instance->hostSide->host(), descriptor->id);
  if (!instance->clap) {
    *error = module.path() + ": the factory made no plug-in " + descriptor->id;
    return nullptr;
  }
  if (!instance->clap->init(instance->clap)) {
    instance->clap->destroy(instance->clap);
    instance->clap = nullptr;
    *error = module.path() + ": the plug-in's init failed";
    return nullptr;
  }
  instance->hostSide->attach(instance->clap);
  instance->paramsExt = instance->extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  instance->portsExt = instance->extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
  ClapInstance* self = instance.get();
  instance->hostSide->onFlushRequest([self] {
    ClapInputEvents none;
    self->flush(none, self->flushedOut);
  });
  return instance;
}

ClapInstance::~ClapInstance() {
  if (!clap) return;
  if (processing) stopProcessing();
  if (active) deactivate();
  hostSide->attach(nullptr);
  clap->destroy(clap);
}

bool ClapInstance::activate(double rate, uint32_t minFrames, uint32_t maxFrames) {
  if (active) return false;
  active = clap->activate(clap, rate, minFrames, maxFrames);
  return active;
}

void ClapInstance::deactivate() {
  if (!active) return;
  if (processing) stopProcessing();
  clap->deactivate(clap);
  active = false;
}

bool ClapInstance::startProcessing() {
  if (!active || processing) return false;
  processingRole = std::make_unique<ClapThreads::AudioRole>(hostSide->threads());
  processing = clap->start_processing(clap);
  if (!processing) processingRole.reset();
  hostSide->setProcessing(processing);
  return processing;
}

void ClapInstance::stopProcessing() {
  if (!processing) return;
  clap->stop_processing(clap);
  processing = false;
  hostSide->setProcessing(false);
  processingRole.reset();
}

clap_process_status ClapInstance::process(const clap_process_t& block) {
  ClapThreads::AudioRole role(hostSide->threads());
  return clap->process(clap, &block);
}

uint32_t ClapInstance::parameterCount() const { return paramsExt ? paramsExt->count(clap) : 0; }

bool ClapInstance::parameterInfo(uint32_t index, clap_param_info_t* info) const {
  return paramsExt && paramsExt->get_info(clap, index, info);
}

bool ClapInstance::parameterValue(clap_id id, double* value) const {
  return paramsExt && paramsExt->get_value(clap, id, value);
}

std::string ClapInstance::valueText(clap_id id, double value) const {
  char text[256] = {};
  if (!paramsExt || !paramsExt->value_to_text(clap, id, value, text, sizeof(text))) return "";
  text[sizeof(text) - 1] = '\0';
  return text;
}

void ClapInstance::flush(const ClapInputEvents& in, ClapOutputEvents& out) {
  if (!paramsExt) return;
  if (active) {
    ClapThreads::AudioRole role(hostSide->threads());
    paramsExt->flush(clap, in.list(), out.list());
  } else {
    paramsExt->flush(clap, in.list(), out.list());
  }
}

bool ClapInstance::saveState(std::vector<uint8_t>* bytes) const {
  const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  if (!state) return false;
  bytes->clear();
  clap_ostream_t stream{bytes, [](const clap_ostream_t* s, const void* data, uint64_t size) {
                          auto* out = static_cast<std::vector<uint8_t>*>(s->ctx);
                          const auto* p = static_cast<const uint8_t*>(data);
                          out->insert(out->end(), p, p + size);
                          return static_cast<int64_t>(size);
                        }};
  return state->save(clap, &stream);
}

bool ClapInstance::loadState(const std::vector<uint8_t>& bytes, size_t chunk) {
  const auto* state = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  if (!state) return false;
  struct Source {
    const std::vector<uint8_t>& bytes;
    size_t at;
    size_t chunk;
  } source{bytes, 0, std::max<size_t>(chunk, 1)};
  clap_istream_t stream{&source, [](const clap_istream_t* s, void* buffer, uint64_t size) {
                          auto* from = static_cast<Source*>(s->ctx);
                          const size_t n = std::min<size_t>({static_cast<size_t>(size), from->chunk,
                                                             from->bytes.size() - from->at});
                          if (n > 0) std::memcpy(buffer, from->bytes.data() + from->at, n);
                          from->at += n;
                          return static_cast<int64_t>(n);
                        }};
  return state->load(clap, &stream);
}

bool openClap(const std::string& path, OpenedClap* opened, std::string* error) {
  opened->module = ClapModule::load(path, error);
  if (!opened->module) return false;
  opened->instance = ClapInstance::create(*opened->module, error);
  return opened->instance != nullptr;
}

}  // namespace quillet::host
