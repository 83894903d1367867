#include "core/state_codec.h"

#include <cmath>
#include <cstring>

namespace quillet::core {

namespace {

// Little-endian whatever the machine.
float readLittleEndianFloat(const uint8_t* p) {
  const uint32_t bits = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                        (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

void writeLittleEndianFloat(float value, uint8_t* p) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  p[0] = static_cast<uint8_t>(bits);
  p[1] = static_cast<uint8_t>(bits >> 8);
  p[2] = static_cast<uint8_t>(bits >> 16);
  p[3] = static_cast<uint8_t>(bits >> 24);
}

}  // namespace

void encodeState(const StateValues& values, uint8_t* bytes) {
  for (int i = 0; i < kNumQuilletParams; ++i) writeLittleEndianFloat(values[i], bytes + 4 * i);
}

void decodeState(const uint8_t* bytes, StateValues& values) {
  for (int i = 0; i < kNumQuilletParams; ++i) values[i] = readLittleEndianFloat(bytes + 4 * i);
}

void saveState(const ParamStore& store, uint8_t* bytes) {
  StateValues values;
  for (int i = 0; i < kNumQuilletParams; ++i) values[i] = store.value(i);
  encodeState(values, bytes);
}

bool loadState(ParamStore& store, const void* data, size_t size) {
  // Restoring part of a short state would mix two states.
  if (!data || size < kStateBytes) return false;
  StateValues values;
  decodeState(static_cast<const uint8_t*>(data), values);
  // Eleven single stores in index order, each queued like any other.
  for (int i = 0; i < kNumQuilletParams; ++i) store.store(i, values[i]);
  return true;
}

bool loadStateStrict(ParamStore& store, const void* data, size_t size) {
  if (!data || size < kStateBytes) return false;
  StateValues values;
  decodeState(static_cast<const uint8_t*>(data), values);
  for (float v : values)
    if (std::isnan(v)) return false;
  for (int i = 0; i < kNumQuilletParams; ++i) store.store(i, values[i]);
  return true;
}

}  // namespace quillet::core
