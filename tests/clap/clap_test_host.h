// A minimal CLAP host for tests: loads the built .clap as a host does
// (dlopen, clap_entry, init), offers the host extensions the plug-in looks
// for and records what the plug-in asks of them, and provides event lists
// and byte streams over plain vectors.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "clap/interface/clap_audio_extensions.h"
#include "clap/interface/clap_presets.h"

namespace quillet::test {

// The module, loaded and initialised once per test process.
inline const clap_plugin_entry_t* moduleEntry() {
  static const clap_plugin_entry_t* entry = [] {
    void* module = dlopen(QUILLET_CLAP_PATH, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return static_cast<const clap_plugin_entry_t*>(nullptr);
    auto* e = static_cast<const clap_plugin_entry_t*>(dlsym(module, "clap_entry"));
    if (e != nullptr && !e->init(QUILLET_CLAP_PATH))
      return static_cast<const clap_plugin_entry_t*>(nullptr);
    return e;
  }();
  return entry;
}

template <typename Factory>
const Factory* factory(const char* id) {
  const clap_plugin_entry_t* entry = moduleEntry();
  return entry != nullptr ? static_cast<const Factory*>(entry->get_factory(id)) : nullptr;
}

// What the plug-in asked of the host.
struct HostCalls {
  std::vector<uint32_t> rescans;
  std::vector<std::string> presetsLoaded;
  int dirtyMarks = 0;
};

class TestHost {
 public:
  TestHost() {
    host_.clap_version = {1, 2, 0};
    host_.host_data = this;
    host_.name = "clap tests";
    host_.vendor = "";
    host_.url = "";
    host_.version = "1";
    host_.get_extension = [](const clap_host_t* h, const char* id) -> const void* {
      auto* self = static_cast<TestHost*>(h->host_data);
      if (std::strcmp(id, "clap.params") == 0) return &self->params_;
      if (std::strcmp(id, "clap.state") == 0) return &self->state_;
      if (std::strcmp(id, "clap.preset-load/2") == 0) return &self->presetLoad_;
      return nullptr;
    };
    host_.request_restart = [](const clap_host_t*) {};
    host_.request_process = [](const clap_host_t*) {};
    host_.request_callback = [](const clap_host_t*) {};
  }

  const clap_host_t* host() const { return &host_; }
  HostCalls calls;

 private:
  static HostCalls& callsOf(const clap_host_t* h) {
    return static_cast<TestHost*>(h->host_data)->calls;
  }

  clap_host_t host_{};
  clap_host_params_t params_ = {
      [](const clap_host_t* h, clap_param_rescan_flags flags) {
        callsOf(h).rescans.push_back(flags);
      },
      [](const clap_host_t*, clap_id, clap_param_clear_flags) {},
      [](const clap_host_t*) {},
  };
  clap_host_state_t state_ = {[](const clap_host_t* h) { ++callsOf(h).dirtyMarks; }};
  clap_host_preset_load_t presetLoad_ = {
      [](const clap_host_t*, uint32_t, const char*, const char*, int32_t, const char*) {},
      [](const clap_host_t* h, uint32_t, const char*, const char* key) {
        callsOf(h).presetsLoaded.push_back(key != nullptr ? key : "");
      },
  };
};

// One initialised plug-in instance, destroyed with the object.
class Instance {
 public:
  explicit Instance(const TestHost& host) {
    auto* f = factory<clap_plugin_factory_t>("clap.plugin-factory");
    if (f != nullptr) plugin_ = f->create_plugin(f, host.host(), "com.marrowledge.quillet-k3");
    if (plugin_ != nullptr && !plugin_->init(plugin_)) {
      plugin_->destroy(plugin_);
      plugin_ = nullptr;
    }
  }
  ~Instance() {
    if (plugin_ != nullptr) plugin_->destroy(plugin_);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  const clap_plugin_t* get() const { return plugin_; }
  template <typename Extension>
  const Extension* ext(const char* id) const {
    return static_cast<const Extension*>(plugin_->get_extension(plugin_, id));
  }
  const clap_plugin_params_t* params() const { return ext<clap_plugin_params_t>("clap.params"); }
  double value(clap_id id) const {
    double v = -1.0;
    EXPECT_TRUE(params()->get_value(plugin_, id, &v));
    return v;
  }

 private:
  const clap_plugin_t* plugin_ = nullptr;
};

// Input events over a list of parameter-value and transport events.
class EventList {
 public:
  void value(uint32_t time, clap_id id, double v, uint16_t space = CLAP_CORE_EVENT_SPACE_ID,
             uint32_t size = sizeof(clap_event_param_value_t)) {
    clap_event_param_value_t e{};
    e.header = {size, time, space, CLAP_EVENT_PARAM_VALUE, 0};
    e.param_id = id;
    e.note_id = -1;
    e.port_index = e.channel = e.key = -1;
    e.value = v;
    push(&e, sizeof(e));
  }
  void transport(uint32_t time, double tempo, uint32_t flags) {
    clap_event_transport_t e{};
    e.header = {sizeof(e), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
    e.flags = flags;
    e.tempo = tempo;
    push(&e, sizeof(e));
  }
  const clap_input_events_t* list() {
    list_.ctx = this;
    list_.size = [](const clap_input_events_t* l) {
      return static_cast<uint32_t>(static_cast<EventList*>(l->ctx)->offsets_.size());
    };
    list_.get = [](const clap_input_events_t* l, uint32_t i) -> const clap_event_header_t* {
      auto* self = static_cast<EventList*>(l->ctx);
      if (i >= self->offsets_.size()) return nullptr;
      return reinterpret_cast<const clap_event_header_t*>(self->storage_.data() +
                                                          self->offsets_[i]);
    };
    return &list_;
  }

 private:
  void push(const void* event, size_t size) {
    offsets_.push_back(storage_.size());
    const size_t slots = (size + 7) / 8;
    storage_.resize(storage_.size() + slots);
    std::memcpy(storage_.data() + offsets_.back(), event, size);
  }
  // 8-byte slots keep every event aligned for its doubles.
  std::vector<uint64_t> storage_;
  std::vector<size_t> offsets_;
  clap_input_events_t list_{};
};

// Streams over a byte vector; the reader hands out at most `chunk` bytes a
// call, as hosts may, and can be told to fail.
struct ByteSink {
  std::vector<uint8_t> bytes;
  clap_ostream_t stream{this, [](const clap_ostream_t* s, const void* data, uint64_t size) {
                          auto* self = static_cast<ByteSink*>(s->ctx);
                          auto* p = static_cast<const uint8_t*>(data);
                          self->bytes.insert(self->bytes.end(), p, p + size);
                          return static_cast<int64_t>(size);
                        }};
};

struct ByteSource {
  explicit ByteSource(std::vector<uint8_t> data, uint64_t chunkSize = 1 << 20,
                      bool failAtEnd = false)
      : bytes(std::move(data)), chunk(chunkSize), fail(failAtEnd) {}
  std::vector<uint8_t> bytes;
  size_t at = 0;
  uint64_t chunk;
  bool fail;
  clap_istream_t stream{
      this, [](const clap_istream_t* s, void* buffer, uint64_t size) -> int64_t {
        auto* self = static_cast<ByteSource*>(s->ctx);
        if (self->at == self->bytes.size()) return self->fail ? -1 : 0;
        uint64_t n = std::min<uint64_t>({size, self->chunk, self->bytes.size() - self->at});
        std::memcpy(buffer, self->bytes.data() + self->at, n);
        self->at += n;
        return static_cast<int64_t>(n);
      }};
};

}  // namespace quillet::test
