#include "editor/artwork/png_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace quillet::artwork {

namespace {

unsigned char byteOf(float v) { return channelByte(v); }

uint32_t crc32(const unsigned char* data, size_t size, uint32_t crc = 0xffffffffu) {
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
  }
  return crc;
}

void putChunk(std::vector<unsigned char>& file, const char type[4],
              const std::vector<unsigned char>& body) {
  const uint32_t size = static_cast<uint32_t>(body.size());
  for (int s = 24; s >= 0; s -= 8) file.push_back(static_cast<unsigned char>(size >> s));
  std::vector<unsigned char> typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  file.insert(file.end(), typed.begin(), typed.end());
  const uint32_t crc = crc32(typed.data(), typed.size()) ^ 0xffffffffu;
  for (int s = 24; s >= 0; s -= 8) file.push_back(static_cast<unsigned char>(crc >> s));
}

using Colour = std::array<unsigned char, 3>;

// Median cut: split the box with the widest channel until there are `count`.
std::vector<Colour> medianCut(std::vector<Colour> colours, size_t count) {
  struct Box {
    size_t begin, end;
  };
  std::vector<Box> boxes{{0, colours.size()}};
  auto spread = [&](const Box& box, int& channel) {
    int best = -1;
    for (int c = 0; c < 3; ++c) {
      unsigned char lo = 255, hi = 0;
      for (size_t i = box.begin; i < box.end; ++i) {
        lo = std::min(lo, colours[i][c]);
        hi = std::max(hi, colours[i][c]);
      }
      if (hi - lo > best) {
        best = hi - lo;
        channel = c;
      }
    }
    return best;
  };
  while (boxes.size() < count) {
    int bestSpread = 0, bestChannel = 0;
    size_t bestBox = boxes.size();
    for (size_t b = 0; b < boxes.size(); ++b) {
      int channel = 0;
      const int s = boxes[b].end - boxes[b].begin > 1 ? spread(boxes[b], channel) : 0;
      if (s > bestSpread) {
        bestSpread = s;
        bestChannel = channel;
        bestBox = b;
      }
    }
    if (bestBox == boxes.size()) break;
    Box box = boxes[bestBox];
    std::sort(colours.begin() + box.begin, colours.begin() + box.end,
              [&](const Colour& a, const Colour& b) { return a[bestChannel] < b[bestChannel]; });
    const size_t middle = (box.begin + box.end) / 2;
    boxes[bestBox] = Box{box.begin, middle};
    boxes.push_back(Box{middle, box.end});
  }
  std::vector<Colour> palette;
  for (const Box& box : boxes) {
    unsigned sum[3] = {0, 0, 0};
    for (size_t i = box.begin; i < box.end; ++i)
      for (int c = 0; c < 3; ++c) sum[c] += colours[i][c];
    const size_t n = box.end - box.begin;
    if (n == 0) continue;
    palette.push_back(Colour{static_cast<unsigned char>(sum[0] / n),
                             static_cast<unsigned char>(sum[1] / n),
                             static_cast<unsigned char>(sum[2] / n)});
  }
  return palette;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

bool writeRGBA(const std::string& path, const Pixels& pixels) {
  return stbi_write_png(path.c_str(), pixels.width, pixels.height, 4, pixels.rgba.data(),
                        pixels.width * 4) != 0;
}

bool writeRGB(const std::string& path, const Pixels& pixels) {
  std::vector<unsigned char> rgb;
  rgb.reserve(pixels.rgba.size() / 4 * 3);
  for (size_t i = 0; i < pixels.rgba.size(); i += 4)
    rgb.insert(rgb.end(), pixels.rgba.begin() + i, pixels.rgba.begin() + i + 3);
  return stbi_write_png(path.c_str(), pixels.width, pixels.height, 3, rgb.data(),
                        pixels.width * 3) != 0;
}

bool writeIndexed(const std::string& path, const Image& image, const RGBA& matte) {
  const int w = image.width(), h = image.height();
  std::vector<Colour> pixels(static_cast<size_t>(w) * h);
  std::vector<bool> opaque(pixels.size());
  std::vector<Colour> used;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const RGBA& p = image.at(x, y);
      const RGBA over = mix(matte, p, p.a);
      const size_t i = static_cast<size_t>(y) * w + x;
      pixels[i] = Colour{byteOf(over.r), byteOf(over.g), byteOf(over.b)};
      opaque[i] = p.a >= 0.5f;
      if (opaque[i]) used.push_back(pixels[i]);
    }
  const std::vector<Colour> palette = medianCut(used, 255);
  std::vector<unsigned char> raw;
  raw.reserve(static_cast<size_t>(w + 1) * h);
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      if (!opaque[i]) {
        raw.push_back(0);
        continue;
      }
      size_t best = 0;
      int bestDistance = 1 << 30;
      for (size_t k = 0; k < palette.size(); ++k) {
        int d = 0;
        for (int c = 0; c < 3; ++c) {
          const int diff = pixels[i][c] - palette[k][c];
          d += diff * diff;
        }
        if (d < bestDistance) {
          bestDistance = d;
          best = k;
        }
      }
      raw.push_back(static_cast<unsigned char>(best + 1));
    }
  }
  int compressedSize = 0;
  unsigned char* compressed =
      stbi_zlib_compress(raw.data(), static_cast<int>(raw.size()), &compressedSize, 9);
  if (!compressed) return false;

  std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<unsigned char> header;
  for (int value : {w, h})
    for (int s = 24; s >= 0; s -= 8) header.push_back(static_cast<unsigned char>(value >> s));
  header.insert(header.end(), {8, 3, 0, 0, 0});  // 8-bit indices, palette
  putChunk(file, "IHDR", header);
  std::vector<unsigned char> plte = {0, 0, 0};
  for (const Colour& c : palette) plte.insert(plte.end(), c.begin(), c.end());
  putChunk(file, "PLTE", plte);
  putChunk(file, "tRNS", {0});  // entry 0 fully transparent, the rest opaque
  putChunk(file, "IDAT", std::vector<unsigned char>(compressed, compressed + compressedSize));
  STBIW_FREE(compressed);
  putChunk(file, "IEND", {});
  return writeFile(path, file);
}

}  // namespace quillet::artwork
