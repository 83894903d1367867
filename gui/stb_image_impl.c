/* The PNG decoder, compiled into the library (no run-time dependency). */
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS (1 << 15)
/* No state of the decoder's own, thread-local or shared: the flip switch is
   never set, and without failure strings nothing is written on a failure. */
#define STBI_NO_THREAD_LOCALS
#define STBI_NO_FAILURE_STRINGS
#include <stb/stb_image.h>
