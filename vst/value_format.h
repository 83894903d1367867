// Short texts for a host's parameter display: fixed-width decimals cut (never
// rounded) after the last place shown. Free functions so that anything can
// format without an effect object; AudioEffect's virtual formatters use them.
//
// Every function writes a NUL-terminated text of at most maxLen characters into
// a buffer of at least maxLen + 1 bytes, fills the rest of the bound with NUL
// and never writes beyond text[maxLen]. A null text or a negative maxLen writes
// nothing.
//
// Texts for values the eight-character budget cannot show:
//  - above 99,999,999 or below -9,999,999 (infinities too): "Huge!";
//  - 10,000,000 to 99,999,999: the eight integer digits without the point;
//  - -1,000,000 to -9,999,999: the sign and seven digits without the point;
//  - NaN: "NaN".
#pragma once

#include "vst/interface/vst2_interface.h"

namespace quillet::vst {

// Copies src into text, cut to maxLen, the rest of the bound NUL-filled and a
// NUL at text[maxLen].
void copyText(const char* src, char* text, VstInt32 maxLen);

void float2string(float value, char* text, VstInt32 maxLen);
void int2string(VstInt32 value, char* text, VstInt32 maxLen);
void dB2string(float value, char* text, VstInt32 maxLen);
void Hz2string(float samples, float sampleRate, char* text, VstInt32 maxLen);
void ms2string(float samples, float sampleRate, char* text, VstInt32 maxLen);

// The numbers the last three show, so that an effect's own float2string can
// format them.
bool dBIsMinusInfinity(float amplitude);  // 0 or less: the text is "-oo"
float dBValue(float amplitude);
float hzValue(float samples, float sampleRate);
float msValue(float samples, float sampleRate);

}  // namespace quillet::vst
