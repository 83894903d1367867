#include "gui/cbitmap.h"

#include <climits>
#include <new>

#include "gui/cdraw_context.h"
#include "platform/resources.h"

extern "C" {
unsigned char* stbi_load_from_memory(const unsigned char* buffer, int len, int* x, int* y,
                                     int* channels_in_file, int desired_channels);
void stbi_image_free(void* retval_from_stbi_load);
int stbi_info_from_memory(const unsigned char* buffer, int len, int* x, int* y, int* comp);
}

namespace VSTGUI {

namespace {

// Colour times alpha over 256 (a shift, as the blending code expects), for
// every pixel that is not fully opaque.
uint32_t premultiplied(uint32_t b, uint32_t g, uint32_t r, uint32_t a) {
  if (a != 255) {
    b = (b * a) >> 8;
    g = (g * a) >> 8;
    r = (r * a) >> 8;
  }
  return b | (g << 8) | (r << 16) | (a << 24);
}

// Source over destination, both premultiplied.
inline uint32_t blendOver(uint32_t src, uint32_t dst) {
  const uint32_t a = src >> 24;
  if (a == 255) return src;
  if (a == 0 && (src & 0x00ffffffu) == 0) return dst;
  const uint32_t inv = 255 - a;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t s = (src >> shift) & 0xff;
    const uint32_t d = (dst >> shift) & 0xff;
    uint32_t c = s + (d * inv + 127) / 255;
    if (c > 255) c = 255;
    out |= c << shift;
  }
  return out;
}

}  // namespace

CBitmap::CBitmap(int32_t id) : resourceID(id) {
  quillet::platform::ResourceData resource;
  if (quillet::platform::findResource("PNG", id, &resource)) decode(resource.data, resource.size);
  // Linux libraries carry no plain bitmap resources: a missing PNG stays empty.
}

CBitmap::CBitmap(const void* png, size_t size) { decode(png, size); }

bool CBitmap::resourceSize(int32_t id, int32_t* w, int32_t* h) {
  *w = *h = 0;
  quillet::platform::ResourceData resource;
  if (!quillet::platform::findResource("PNG", id, &resource) || !resource.data ||
      resource.size == 0 || resource.size > static_cast<size_t>(INT_MAX))
    return false;
  int x = 0, y = 0, channels = 0;
  if (!stbi_info_from_memory(static_cast<const unsigned char*>(resource.data),
                             static_cast<int>(resource.size), &x, &y, &channels) ||
      x <= 0 || y <= 0)
    return false;
  *w = x;
  *h = y;
  return true;
}

CBitmap::CBitmap(int32_t w, int32_t h, std::shared_ptr<const std::vector<uint32_t>> pixels) {
  if (w <= 0 || h <= 0 || !pixels || pixels->size() != static_cast<size_t>(w) * h) return;
  bits = std::move(pixels);
  width = w;
  height = h;
}

std::vector<uint32_t> premultipliedPixels(const uint8_t* rgba, int32_t w, int32_t h) {
  std::vector<uint32_t> out;
  if (!rgba || w <= 0 || h <= 0) return out;
  out.resize(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* src = rgba + static_cast<size_t>(y) * w * 4;
    uint32_t* dst = &out[static_cast<size_t>(h - 1 - y) * w];  // bottom row first
    for (int32_t x = 0; x < w; ++x, src += 4)
      dst[x] = premultiplied(src[2], src[1], src[0], src[3]);
  }
  return out;
}

void CBitmap::decode(const void* png, size_t size) {
  if (!png || size == 0 || size > static_cast<size_t>(INT_MAX)) return;
  int w = 0, h = 0, channels = 0;
  unsigned char* data = stbi_load_from_memory(static_cast<const unsigned char*>(png),
                                              static_cast<int>(size), &w, &h, &channels, 0);
  if (!data) return;
  if (w <= 0 || h <= 0 || channels < 1 || channels > 4) {
    stbi_image_free(data);
    return;
  }
  // Out of memory here is like out of memory in the decoder: an empty bitmap.
  std::shared_ptr<std::vector<uint32_t>> decoded;
  try {
    decoded = std::make_shared<std::vector<uint32_t>>(static_cast<size_t>(w) * h);
  } catch (const std::bad_alloc&) {
    stbi_image_free(data);
    return;
  }
  for (int y = 0; y < h; ++y) {
    const unsigned char* src = data + static_cast<size_t>(y) * w * channels;
    uint32_t* dst = &(*decoded)[static_cast<size_t>(h - 1 - y) * w];  // bottom row first
    for (int x = 0; x < w; ++x, src += channels) {
      uint32_t r, g, b, a = 255;
      if (channels >= 3) {
        r = src[0];
        g = src[1];
        b = src[2];
        if (channels == 4) a = src[3];
      } else {
        r = g = b = src[0];
        if (channels == 2) a = src[1];
      }
      dst[x] = premultiplied(b, g, r, a);
    }
  }
  stbi_image_free(data);
  bits = std::move(decoded);
  width = w;
  height = h;
  noAlpha = false;
}

uint32_t CBitmap::pixelAt(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return (*bits)[static_cast<size_t>(height - 1 - y) * width + x];
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) const {
  if (!context || !context->getPixels() || !isLoaded()) return;
  // The destination area: the rectangle, clipped, and no larger than the
  // part of the bitmap that the offset leaves.
  CRect area = rect.intersect(context->getClipRect());
  area = area.intersect(CRect(rect.left - offset.h, rect.top - offset.v,
                              rect.left - offset.h + width, rect.top - offset.v + height));
  if (area.isEmpty()) return;
  uint32_t* target = context->getPixels();
  const int32_t stride = context->getWidth();
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const int32_t sy = y - rect.top + offset.v;
    const uint32_t* src = &(*bits)[static_cast<size_t>(height - 1 - sy) * width];
    uint32_t* dst = target + static_cast<size_t>(y) * stride;
    for (int32_t x = area.left; x < area.right; ++x) {
      const uint32_t s = src[x - rect.left + offset.h];
      dst[x] = noAlpha ? s : blendOver(s, dst[x]);
    }
  }
}

}  // namespace VSTGUI
