// Writes the pictures as PNG: true colour with or without alpha, or indexed
// colour with one fully transparent palette entry.
#pragma once

#include <string>

#include "editor/artwork/picture_pixels.h"
#include "editor/artwork/raster.h"

namespace quillet::artwork {

bool writeRGBA(const std::string& path, const Pixels& pixels);
// Without the alpha channel: for an opaque picture.
bool writeRGB(const std::string& path, const Pixels& pixels);
// Quantises to at most 255 colours; pixels under half coverage become palette
// entry 0, which is transparent. Edge pixels are first laid over `matte`, the
// colour the picture will sit on, so the hard edge does not show.
bool writeIndexed(const std::string& path, const Image& image, const RGBA& matte);

}  // namespace quillet::artwork
