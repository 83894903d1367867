// Build-time generator of the LV2 bundle's Turtle files and the factory .fxp
// presets, from the core's parameter table, preset list, identity and state
// codec, so names, order, defaults, kinds and saved states are those of
// every other edition.
//   quillet_bundle_files BUNDLE_DIR FXP_DIR
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/factory_presets.h"
#include "core/identity.h"
#include "core/param_table.h"
#include "core/state_codec.h"
#include "lv2/lv2_ports.h"

using namespace quillet::lv2;
namespace identity = quillet::core::identity;

namespace {

constexpr char kDspBinary[] = "quillet_k3_dsp.so";
constexpr char kUiBinary[] = "quillet_k3_ui.so";
constexpr char kPluginFile[] = "quillet-k3.ttl";
constexpr char kPresetFile[] = "presets.ttl";

const char* kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// A Turtle string literal.
std::string quoted(const char* text) {
  std::string out = "\"";
  for (const char* c = text; *c; ++c) {
    if (*c == '"' || *c == '\\') out += '\\';
    out += *c;
  }
  return out + "\"";
}

// A decimal literal that reads back as the same single-precision value.
std::string number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  std::string out = text;
  if (out.find_first_of(".en") == std::string::npos) out += ".0";
  return out;
}

std::string uri(const std::string& text) { return "<" + text + ">"; }

std::string presetUri(const quillet::core::FactoryPreset& p) {
  return uri(std::string(kPresetUriPrefix) + p.symbol);
}

std::string controlPort(int index) {
  const auto& p = quillet::core::kQuilletParams[index];
  std::string t = "[\n    a lv2:InputPort , lv2:ControlPort ;\n";
  t += "    lv2:index " + std::to_string(index) + " ;\n";
  t += "    lv2:symbol " + quoted(p.symbol) + " ;\n";
  t += "    lv2:name " + quoted(p.name) + " ;\n";
  t += "    lv2:default " + number(p.defaultValue) + " ;\n";
  t += "    lv2:minimum 0.0 ;\n    lv2:maximum 1.0";
  if (p.kind == quillet::core::ParamKind::Switch) t += " ;\n    lv2:portProperty lv2:toggled";
  if (p.kind == quillet::core::ParamKind::Selector) {
    // Each position's value lies inside that position.
    t += " ;\n    lv2:portProperty lv2:enumeration ;\n    lv2:scalePoint";
    for (int k = 0; k <= p.stepCount(); ++k)
      t += std::string(k ? " ," : "") + " [\n      rdfs:label " + quoted(p.positionNames[k]) +
           " ;\n      rdf:value " + number(quillet::core::paramValueOfPosition(index, k)) +
           "\n    ]";
  }
  return t + "\n  ]";
}

std::string pluginDescription() {
  std::string t = kPrefixes;
  const std::string plugin = uri(kPluginUri);
  const std::string inputGroup = uri(std::string(kPluginUri) + "#in");
  const std::string outputGroup = uri(std::string(kPluginUri) + "#out");
  const std::string maintainer =
      "  doap:maintainer [\n    foaf:name " + quoted(identity::kVendor) + "\n  ]";
  t += uri(std::string(kPluginUri) + "#project") + "\n  a doap:Project ;\n  doap:name " +
       quoted(identity::kProductName) + " ;\n" + maintainer + " .\n\n";
  t += plugin + "\n  a lv2:Plugin , lv2:DelayPlugin ;\n";
  t += "  doap:name " + quoted(identity::kProductName) + " ;\n";
  t += "  lv2:project " + uri(std::string(kPluginUri) + "#project") + " ;\n";
  t += "  doap:license <http://opensource.org/licenses/mit> ;\n";
  t += maintainer + " ;\n";
  t += "  rdfs:comment " + quoted(identity::kDescription) + " ;\n";
  t += "  lv2:minorVersion " + std::to_string(identity::kVersionMinor) + " ;\n";
  t += "  lv2:microVersion " + std::to_string(identity::kVersionPatch) + " ;\n";
  t += "  lv2:binary " + uri(kDspBinary) + " ;\n";
  t += "  lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n";
  t += "  ui:ui " + uri(kUiUri) + " ;\n";
  t += "  pg:mainInput " + inputGroup + " ;\n  pg:mainOutput " + outputGroup + " ;\n";
  t += "  lv2:port ";
  for (int i = 0; i < quillet::core::kNumQuilletParams; ++i) t += controlPort(i) + " , ";
  // The audio ports as two stereo groups, each port with its channel: hosts
  // that map channels by group (GStreamer's lv2 element) see one stereo
  // input and one stereo output, the output fed by the input.
  const struct {
    uint32_t index;
    const char* kind;
    const char* symbol;
    const char* name;
    const std::string& group;
    const char* channel;
  } audio[] = {{kPortInL, "lv2:InputPort", "in_l", "Left In", inputGroup, "pg:left"},
               {kPortInR, "lv2:InputPort", "in_r", "Right In", inputGroup, "pg:right"},
               {kPortOutL, "lv2:OutputPort", "out_l", "Left Out", outputGroup, "pg:left"},
               {kPortOutR, "lv2:OutputPort", "out_r", "Right Out", outputGroup, "pg:right"}};
  for (const auto& a : audio)
    t += "[\n    a " + std::string(a.kind) + " , lv2:AudioPort ;\n    lv2:index " +
         std::to_string(a.index) + " ;\n    lv2:symbol " + quoted(a.symbol) + " ;\n    lv2:name " +
         quoted(a.name) + " ;\n    pg:group " + a.group + " ;\n    lv2:designation " + a.channel +
         "\n  ] , ";
  t += "[\n    a lv2:InputPort , atom:AtomPort ;\n    lv2:index " + std::to_string(kPortControl) +
       " ;\n    lv2:symbol \"control\" ;\n    lv2:name \"Control\" ;\n"
       "    atom:bufferType atom:Sequence ;\n    atom:supports time:Position ;\n"
       "    lv2:designation lv2:control ;\n    lv2:portProperty lv2:connectionOptional\n  ] , ";
  t += "[\n    a lv2:OutputPort , lv2:ControlPort ;\n    lv2:index " +
       std::to_string(kPortHostTempo) +
       " ;\n    lv2:symbol \"host_tempo\" ;\n    lv2:name \"Host Tempo\" ;\n"
       "    lv2:default 0.0 ;\n    lv2:minimum 0.0 ;\n    lv2:maximum 1000.0 ;\n"
       "    units:unit units:bpm\n  ] .\n\n";
  t += inputGroup +
       "\n  a pg:InputGroup , pg:StereoGroup ;\n  lv2:symbol \"in\" ;\n"
       "  lv2:name \"Input\" .\n\n";
  t += outputGroup +
       "\n  a pg:OutputGroup , pg:StereoGroup ;\n  lv2:symbol \"out\" ;\n"
       "  lv2:name \"Output\" ;\n  pg:source " +
       inputGroup + " .\n\n";
  t += uri(kUiUri) + "\n  a ui:X11UI ;\n  ui:binary " + uri(kUiBinary) + " ;\n";
  t += "  lv2:requiredFeature ui:idleInterface , ui:parent ;\n";
  t += "  lv2:optionalFeature ui:resize , ui:touch , opts:options , urid:map ;\n";
  t += "  opts:supportedOption ui:scaleFactor ;\n";
  t += "  lv2:extensionData ui:idleInterface , opts:interface ;\n";
  t += "  ui:portNotification [\n    ui:plugin " + plugin +
       " ;\n    lv2:symbol \"host_tempo\" ;\n    ui:protocol ui:floatProtocol\n  ] .\n";
  return t;
}

std::string manifest() {
  std::string t = kPrefixes;
  t += uri(kPluginUri) + "\n  a lv2:Plugin ;\n  lv2:binary " + uri(kDspBinary) +
       " ;\n  rdfs:seeAlso " + uri(kPluginFile) + " .\n\n";
  t += uri(kUiUri) + "\n  a ui:X11UI ;\n  ui:binary " + uri(kUiBinary) + " ;\n  rdfs:seeAlso " +
       uri(kPluginFile) + " .\n";
  for (const quillet::core::FactoryPreset& p : quillet::core::kFactoryPresets)
    t += "\n" + presetUri(p) + "\n  a pset:Preset ;\n  lv2:appliesTo " + uri(kPluginUri) +
         " ;\n  rdfs:seeAlso " + uri(kPresetFile) + " .\n";
  return t;
}

std::string presets() {
  std::string t = kPrefixes;
  for (const quillet::core::FactoryPreset& p : quillet::core::kFactoryPresets) {
    t += presetUri(p) + "\n  a pset:Preset ;\n  lv2:appliesTo " + uri(kPluginUri) +
         " ;\n  rdfs:label " + quoted(p.name) + " ;\n  lv2:port ";
    for (int i = 0; i < quillet::core::kNumQuilletParams; ++i)
      t += std::string(i ? " , " : "") + "[\n    lv2:symbol " +
           quoted(quillet::core::kQuilletParams[i].symbol) + " ;\n    pset:value " +
           number(p.values[i]) + "\n  ]";
    t += " .\n\n";
  }
  return t;
}

void bigEndian(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t code(const char* c) {
  return static_cast<uint32_t>(c[0]) << 24 | static_cast<uint32_t>(c[1]) << 16 |
         static_cast<uint32_t>(c[2]) << 8 | static_cast<uint32_t>(c[3]);
}

// A program preset holding the effect's state, named for the host's preset
// list.
std::vector<uint8_t> fxp(const quillet::core::FactoryPreset& p) {
  std::vector<uint8_t> out;
  bigEndian(out, code("CcnK"));
  bigEndian(out, 0);  // byte size, patched below
  bigEndian(out, code("FPCh"));
  bigEndian(out, 1);  // format version
  bigEndian(out, static_cast<uint32_t>(identity::kVst2UniqueId));
  bigEndian(out, 1);  // the effect's version (the VST 2.4 record's)
  bigEndian(out, 0);  // the effect declares no programs
  char name[28] = {};
  std::strncpy(name, p.name, sizeof name - 1);
  out.insert(out.end(), name, name + sizeof name);
  bigEndian(out, static_cast<uint32_t>(quillet::core::kStateBytes));
  uint8_t state[quillet::core::kStateBytes];
  quillet::core::encodeState(p.values, state);
  out.insert(out.end(), state, state + sizeof state);
  const uint32_t size = static_cast<uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(size >> (24 - 8 * i));
  return out;
}

bool writeFile(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "quillet_bundle_files: cannot write %s\n", path.c_str());
    return false;
  }
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

bool writeText(const std::string& path, const std::string& text) {
  return writeFile(path, text.data(), text.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quillet_bundle_files BUNDLE_DIR FXP_DIR\n");
    return 2;
  }
  const std::string bundle = argv[1], fxpDir = argv[2];
  bool ok = writeText(bundle + "/manifest.ttl", manifest()) &&
            writeText(bundle + "/" + kPluginFile, pluginDescription()) &&
            writeText(bundle + "/" + kPresetFile, presets());
  for (const quillet::core::FactoryPreset& p : quillet::core::kFactoryPresets) {
    const std::vector<uint8_t> bytes = fxp(p);
    ok = ok && writeFile(fxpDir + "/" + p.symbol + ".fxp", bytes.data(), bytes.size());
  }
  return ok ? 0 : 1;
}
