/* The PNG encoder, for tests that build pictures in memory. */
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

int stbi_write_png_to_func_for_tests(stbi_write_func* func, void* context, int w, int h, int comp,
                                     const void* data, int stride) {
  return stbi_write_png_to_func(func, context, w, h, comp, data, stride);
}
