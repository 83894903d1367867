// Finds the host's tempo (time:beatsPerMinute of a time:Position object) in
// an atom sequence. Reads only within the sizes the atoms announce.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

namespace quillet::lv2 {

struct TempoUrids {
  LV2_URID atomObject = 0;
  LV2_URID atomBlank = 0;
  LV2_URID atomFloat = 0;
  LV2_URID atomDouble = 0;
  LV2_URID atomInt = 0;
  LV2_URID atomLong = 0;
  LV2_URID timePosition = 0;
  LV2_URID timeBeatsPerMinute = 0;

  // False without a map: the plug-in then never sees a tempo.
  bool mapAll(const LV2_URID_Map* map);
};

// Scans every event of sequence; when one or more positions carry a tempo,
// *bpm is the last of them (0 when it is not finite or not above 0) and the
// result is true. An event or property whose announced size runs past its
// container ends the scan.
bool findTempo(const LV2_Atom_Sequence* sequence, const TempoUrids& urids, float* bpm);

}  // namespace quillet::lv2
