#include "gui/cdraw_context.h"

#include <cstddef>

namespace VSTGUI {

CDrawContext::CDrawContext(uint32_t* pixels, int32_t width, int32_t height)
    : pixels(pixels), width(width), height(height), clip(0, 0, width, height) {}

void CDrawContext::setClipRect(const CRect& rect) {
  clip = rect.intersect(CRect(0, 0, width, height));
}

COffscreenContext::COffscreenContext(int32_t width, int32_t height)
    : CDrawContext(nullptr, width, height),
      storage(static_cast<size_t>(width > 0 ? width : 0) * (height > 0 ? height : 0), 0xff000000u) {
  pixels = storage.empty() ? nullptr : storage.data();
}

}  // namespace VSTGUI
