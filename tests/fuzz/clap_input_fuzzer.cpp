// What a CLAP host hands the plug-in that could be hostile: a saved state
// through a stream that moves any number of bytes a call, and event lists of
// any sizes, types, spaces, times, ids and values, in process (in place or
// not, both precisions, empty blocks) and in flush while inactive. Nothing
// may crash or read past an event, a refused state changes nothing, every
// value stays in its range and the output stays finite.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "clap/interface/clap_audio_extensions.h"
#include "clap/plugin_descriptor.h"

namespace {

void require(bool ok) {
  if (!ok) std::abort();
}

// Reads the fuzzer's bytes in order; zeros once they run out.
struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t byte() { return at < size ? data[at++] : 0; }
  uint16_t word() { return static_cast<uint16_t>(byte() | byte() << 8); }
  size_t left() const { return size - at; }
};

clap_host_t makeHost() {
  static const clap_host_params_t params = {
      [](const clap_host_t*, clap_param_rescan_flags) {},
      [](const clap_host_t*, clap_id, clap_param_clear_flags) {}, [](const clap_host_t*) {}};
  static const clap_host_tail_t tail = {[](const clap_host_t*) {}};
  clap_host_t host{};
  host.clap_version = {1, 2, 0};
  host.name = "fuzz";
  host.version = "1";
  host.get_extension = [](const clap_host_t*, const char* id) -> const void* {
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &params;
    if (std::strcmp(id, CLAP_EXT_TAIL) == 0) return &tail;
    return nullptr;
  };
  host.request_restart = [](const clap_host_t*) {};
  host.request_process = [](const clap_host_t*) {};
  host.request_callback = [](const clap_host_t*) {};
  return host;
}

// Events built from the input, each in memory exactly as long as its header
// says (at least a header), 8-byte aligned.
struct Events {
  std::vector<std::vector<uint64_t>> storage;
  clap_input_events_t list{};

  explicit Events(Input& in) {
    const int count = in.byte() % 24;
    for (int i = 0; i < count && in.left() > 0; ++i) {
      const uint32_t size = in.byte() % 112;
      std::vector<uint64_t> memory((std::max<uint32_t>(size, sizeof(clap_event_header_t)) + 7) / 8);
      auto* bytes = reinterpret_cast<uint8_t*>(memory.data());
      for (size_t b = 0; b < memory.size() * 8; ++b) bytes[b] = in.byte();
      auto* header = reinterpret_cast<clap_event_header_t*>(bytes);
      header->size = size;
      // Mostly core events of the types that matter, sometimes anything.
      const uint8_t pick = in.byte();
      if (pick & 1) header->space_id = CLAP_CORE_EVENT_SPACE_ID;
      if (pick & 2) header->type = (pick & 4) ? CLAP_EVENT_PARAM_VALUE : CLAP_EVENT_TRANSPORT;
      if (pick & 8) {
        // A plausible id and value at the right offsets.
        if (header->type == CLAP_EVENT_PARAM_VALUE && size >= sizeof(clap_event_param_value_t)) {
          auto* v = reinterpret_cast<clap_event_param_value_t*>(bytes);
          v->param_id = pick >> 4;
        }
      }
      storage.push_back(std::move(memory));
    }
    list.ctx = this;
    list.size = [](const clap_input_events_t* l) {
      return static_cast<uint32_t>(static_cast<Events*>(l->ctx)->storage.size());
    };
    list.get = [](const clap_input_events_t* l, uint32_t i) -> const clap_event_header_t* {
      auto* self = static_cast<Events*>(l->ctx);
      return i < self->storage.size()
                 ? reinterpret_cast<const clap_event_header_t*>(self->storage[i].data())
                 : nullptr;
    };
  }
};

std::vector<uint8_t> saved(const clap_plugin_t* p, const clap_plugin_state_t* state) {
  std::vector<uint8_t> bytes;
  clap_ostream_t out{&bytes, [](const clap_ostream_t* s, const void* d, uint64_t n) {
                       auto* v = static_cast<std::vector<uint8_t>*>(s->ctx);
                       v->insert(v->end(), static_cast<const uint8_t*>(d),
                                 static_cast<const uint8_t*>(d) + n);
                       return static_cast<int64_t>(n);
                     }};
  require(state->save(p, &out));
  return bytes;
}

void checkValues(const clap_plugin_t* p, const clap_plugin_params_t* params) {
  for (uint32_t i = 0; i < params->count(p); ++i) {
    clap_param_info_t info;
    require(params->get_info(p, i, &info));
    double v = NAN;
    require(params->get_value(p, info.id, &v));
    require(v >= info.min_value && v <= info.max_value);
    char text[64];
    if (params->value_to_text(p, info.id, v, text, sizeof text)) {
      double back = NAN;
      if (params->text_to_value(p, info.id, text, &back))
        require(back >= info.min_value && back <= info.max_value);
    }
  }
}

template <typename Sample>
void runBlock(const clap_plugin_t* p, Input& in, const clap_input_events_t* events) {
  const uint32_t frames = in.byte() % 2 ? 0 : in.word() % 600;
  const bool inPlace = in.byte() & 1;
  std::vector<Sample> buffer(4 * 600 + 4);
  for (uint32_t i = 0; i < 2 * frames; ++i)
    buffer[i] = static_cast<Sample>(static_cast<int8_t>(in.byte())) / Sample(128);
  Sample* ins[2] = {buffer.data(), buffer.data() + frames};
  Sample* outs[2] = {inPlace ? ins[0] : buffer.data() + 2 * frames,
                     inPlace ? ins[1] : buffer.data() + 3 * frames};
  clap_audio_buffer_t input{}, output{};
  input.channel_count = output.channel_count = 2;
  if constexpr (sizeof(Sample) == sizeof(double)) {
    input.data64 = ins;
    output.data64 = outs;
  } else {
    input.data32 = ins;
    output.data32 = outs;
  }
  clap_output_events_t out{
      nullptr, [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};
  clap_process_t process{};
  process.frames_count = frames;
  process.audio_inputs = &input;
  process.audio_outputs = &output;
  process.audio_inputs_count = process.audio_outputs_count = 1;
  process.in_events = events;
  process.out_events = &out;
  require(p->process(p, &process) != CLAP_PROCESS_ERROR);
  for (uint32_t i = 0; i < frames; ++i)
    require(std::isfinite(outs[0][i]) && std::isfinite(outs[1][i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  const clap_host_t host = makeHost();
  const clap_plugin_factory_t& factory = quillet::clap::pluginFactory();
  const clap_plugin_t* p = factory.create_plugin(&factory, &host, "com.marrowledge.quillet-k3");
  require(p != nullptr && p->init(p));
  const auto* params =
      static_cast<const clap_plugin_params_t*>(p->get_extension(p, CLAP_EXT_PARAMS));
  const auto* state = static_cast<const clap_plugin_state_t*>(p->get_extension(p, CLAP_EXT_STATE));

  // A state, read in pieces of any size.
  const uint8_t mode = in.byte();
  struct Stream {
    Input& in;
    size_t length;
    size_t chunk;
  } stream{in, static_cast<size_t>(in.byte()), static_cast<size_t>(in.byte() % 9 + 1)};
  const std::vector<uint8_t> before = saved(p, state);
  clap_istream_t source{&stream, [](const clap_istream_t* s, void* buffer, uint64_t n) -> int64_t {
                          auto* from = static_cast<Stream*>(s->ctx);
                          size_t moved = 0;
                          auto* bytes = static_cast<uint8_t*>(buffer);
                          while (moved < n && moved < from->chunk && from->length > 0) {
                            bytes[moved++] = from->in.byte();
                            --from->length;
                          }
                          return static_cast<int64_t>(moved);
                        }};
  if (!state->load(p, &source)) require(saved(p, state) == before);
  checkValues(p, params);

  // Events while inactive, through flush on the main thread.
  {
    Events events(in);
    params->flush(p, &events.list, nullptr);
    checkValues(p, params);
  }
  // Blocks with events, active.
  if (p->activate(p, (mode & 1) ? 8000.0 : 22050.0, 1, 600) && p->start_processing(p)) {
    for (int block = 0; block < 4 && in.left() > 0; ++block) {
      Events events(in);
      if (in.byte() & 1)
        runBlock<double>(p, in, &events.list);
      else
        runBlock<float>(p, in, &events.list);
      checkValues(p, params);
    }
    p->stop_processing(p);
    p->deactivate(p);
  }
  p->destroy(p);
  return 0;
}
