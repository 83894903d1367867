// One row of an effect's parameter table. Values are stored only in the
// normalised 0..1 form the host sees.
#pragma once

struct ParamEntry {
  const char* name;
  const char* label;
  float value;
};
