/* The arguments the web check holds the echo module's erf to, with the
   native C library's erf of each: every 503rd float from 0 up to 8 and its
   negation, and the special values. Writes pairs of little-endian doubles
   (x, erf(x)) to standard output. Build it with -fno-builtin: a compiler
   that folds erf of a constant gives its own correctly rounded value, not
   the library's. */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

static void put(double x) {
  const double y = erf(x);
  fwrite(&x, sizeof x, 1, stdout);
  fwrite(&y, sizeof y, 1, stdout);
}

int main(void) {
  for (uint32_t bits = 0; bits < 0x41000000u; bits += 503) {
    float f;
    memcpy(&f, &bits, sizeof f);
    put(f);
    put(-(double)f);
  }
  const double special[] = {1.25, 2.857142734527587890625, 6.0, 28.0, INFINITY, 1e-310, 0x1p-28};
  for (size_t i = 0; i < sizeof special / sizeof special[0]; ++i) {
    put(special[i]);
    put(-special[i]);
  }
  return 0;
}
