/* The basic types every other CLAP declaration uses: the version record, ids,
 * fixed string sizes, fixed-point time and the calling convention.
 *
 * Our own declarations of the CLAP binary interface (version 1.x), written
 * from the public CLAP headers and documentation read as facts: names,
 * numeric values, string ids and member order. Plain C, so a C file can
 * include them too; layout_checks.cpp pins every size and offset on x86-64.
 *
 * Source of the facts here: the public headers version.h, id.h, fixedpoint.h,
 * string-sizes.h and private/macros.h of CLAP 1.2. */
#ifndef QUILLET_CLAP_ABI_BASE_H
#define QUILLET_CLAP_ABI_BASE_H

#ifdef __cplusplus
#include <cstddef>
#include <cstdint>
#else
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>
#endif

/* Every function pointer of the interface uses the C calling convention; on
 * 64-bit Windows there is only one, so this only matters on 32-bit x86. */
#if defined(_WIN32) || defined(__CYGWIN__)
#define QCLAP_ABI __cdecl
#else
#define QCLAP_ABI
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Major 0 was the development series and is not compatible with anything;
 * from 1.0 on the binary interface is stable, so a host and a plug-in work
 * together whenever both declare a major version of 1 or more. */
typedef struct clap_version {
  uint32_t major;
  uint32_t minor;
  uint32_t revision;
} clap_version_t;

/* The version this plug-in declares in its entry, descriptor and preset
 * provider: 1.2.0 is the first release with the stable preset-discovery
 * factory and preset-load ids and with counted init/deinit calls. */
#define QCLAP_VERSION_MAJOR 1u
#define QCLAP_VERSION_MINOR 2u
#define QCLAP_VERSION_REVISION 0u
#define QCLAP_VERSION_INIT \
  { QCLAP_VERSION_MAJOR, QCLAP_VERSION_MINOR, QCLAP_VERSION_REVISION }

static inline bool qclap_version_is_compatible(clap_version_t v) { return v.major >= 1; }

typedef uint32_t clap_id;
#define CLAP_INVALID_ID UINT32_MAX

/* Capacities, NUL included, of the fixed text fields (names shown to users,
 * module paths). */
enum {
  CLAP_NAME_SIZE = 256,
  CLAP_PATH_SIZE = 1024,
};

/* Musical and clock time in the transport are fixed-point: value * 2^31. */
typedef int64_t clap_beattime;
typedef int64_t clap_sectime;
#define CLAP_BEATTIME_FACTOR (INT64_C(1) << 31)
#define CLAP_SECTIME_FACTOR (INT64_C(1) << 31)

#ifdef __cplusplus
}
#endif

#endif
