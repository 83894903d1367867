// What the manual's number writers share: the folder they write into, HTML
// escaping, and the musician's texts of parameter values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet::manual {

// The rates the manual quotes: 48 kHz throughout, 44.1 kHz beside it where
// the whole samples of a delay line make the two differ.
constexpr float kRate = 48000.0f;
constexpr float kCdRate = 44100.0f;

// A folder of fragments (NAME.html, pasted into the pages) and data files
// (for gnuplot). A file that cannot be written ends the program.
class Output {
 public:
  explicit Output(std::string folder) : folder(std::move(folder)) {}
  void write(const std::string& name, const std::string& text) const;

 private:
  std::string folder;
};

std::string escape(std::string_view text);

// x with a fixed number of decimals, in the C locale's spelling ("-3.5").
std::string fixed(double x, int decimals);

// The text a host shows for a parameter at this value (see core/param_text.h),
// with "Delay" for the given "Range" value at the given rate.
std::string valueText(int32_t index, float value, float range = 0.5f, float rate = kRate);

}  // namespace quillet::manual
