#include "lv2/tempo_reader.h"

#include <lv2/time/time.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace quillet::lv2 {

namespace {

// Sizes are added in 64 bits, so a huge announced size cannot wrap around.
constexpr uint64_t pad8(uint64_t size) { return (size + 7u) & ~uint64_t{7}; }

// The value of a number atom (float, double, int or long) as a double.
bool numberValue(const LV2_Atom* atom, const TempoUrids& u, double* value) {
  const uint8_t* body = reinterpret_cast<const uint8_t*>(atom + 1);
  if (atom->type == u.atomFloat && atom->size >= sizeof(float)) {
    float v;
    std::memcpy(&v, body, sizeof v);
    *value = v;
  } else if (atom->type == u.atomDouble && atom->size >= sizeof(double)) {
    std::memcpy(value, body, sizeof(double));
  } else if (atom->type == u.atomInt && atom->size >= sizeof(int32_t)) {
    int32_t v;
    std::memcpy(&v, body, sizeof v);
    *value = v;
  } else if (atom->type == u.atomLong && atom->size >= sizeof(int64_t)) {
    int64_t v;
    std::memcpy(&v, body, sizeof v);
    *value = static_cast<double>(v);
  } else {
    return false;
  }
  return true;
}

// The tempo property of one time:Position object, if it has one.
bool tempoOfObject(const LV2_Atom* atom, const TempoUrids& u, double* bpm) {
  if ((atom->type != u.atomObject && atom->type != u.atomBlank) ||
      atom->size < sizeof(LV2_Atom_Object_Body))
    return false;
  const auto* body = reinterpret_cast<const LV2_Atom_Object_Body*>(atom + 1);
  if (body->otype != u.timePosition) return false;
  bool found = false;
  uint64_t offset = sizeof(LV2_Atom_Object_Body);
  const uint8_t* base = reinterpret_cast<const uint8_t*>(body);
  while (offset + sizeof(LV2_Atom_Property_Body) <= atom->size) {
    const auto* prop = reinterpret_cast<const LV2_Atom_Property_Body*>(base + offset);
    const uint32_t valueSize = prop->value.size;
    if (valueSize > atom->size - offset - sizeof(LV2_Atom_Property_Body)) break;
    if (prop->key == u.timeBeatsPerMinute && numberValue(&prop->value, u, bpm)) found = true;
    offset += pad8(sizeof(LV2_Atom_Property_Body) + uint64_t{valueSize});
  }
  return found;
}

}  // namespace

bool TempoUrids::mapAll(const LV2_URID_Map* map) {
  if (!map || !map->map) return false;
  atomObject = map->map(map->handle, LV2_ATOM__Object);
  atomBlank = map->map(map->handle, LV2_ATOM__Blank);
  atomFloat = map->map(map->handle, LV2_ATOM__Float);
  atomDouble = map->map(map->handle, LV2_ATOM__Double);
  atomInt = map->map(map->handle, LV2_ATOM__Int);
  atomLong = map->map(map->handle, LV2_ATOM__Long);
  timePosition = map->map(map->handle, LV2_TIME__Position);
  timeBeatsPerMinute = map->map(map->handle, LV2_TIME__beatsPerMinute);
  return true;
}

bool findTempo(const LV2_Atom_Sequence* sequence, const TempoUrids& urids, float* bpm) {
  if (!sequence || sequence->atom.size < sizeof(LV2_Atom_Sequence_Body)) return false;
  const uint8_t* base = reinterpret_cast<const uint8_t*>(&sequence->body);
  const uint32_t size = sequence->atom.size;
  bool found = false;
  double last = 0.0;
  uint64_t offset = sizeof(LV2_Atom_Sequence_Body);
  while (offset + sizeof(LV2_Atom_Event) <= size) {
    const auto* event = reinterpret_cast<const LV2_Atom_Event*>(base + offset);
    const uint32_t bodySize = event->body.size;
    if (bodySize > size - offset - sizeof(LV2_Atom_Event)) break;
    double value = 0.0;
    if (tempoOfObject(&event->body, urids, &value)) {
      last = value;
      found = true;
    }
    offset += pad8(sizeof(LV2_Atom_Event) + uint64_t{bodySize});
  }
  if (!found) return false;
  *bpm = std::isfinite(last) && last > 0.0 && last < 1e30 ? static_cast<float>(last) : 0.0f;
  return true;
}

}  // namespace quillet::lv2
