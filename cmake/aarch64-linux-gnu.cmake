# Cross build for 64-bit ARM Linux with Debian's aarch64-linux-gnu compiler.
# Libraries and their pkg-config files come from Debian's multiarch arm64
# packages (libsndfile1-dev:arm64, libx11-dev:arm64, libgtest-dev:arm64) in
# /usr/lib/aarch64-linux-gnu; headers without an architecture (lv2-dev,
# libstb-dev) from /usr/include. Programs built here run under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(QUILLET_CROSS_TRIPLET aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${QUILLET_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${QUILLET_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${QUILLET_CROSS_TRIPLET})

# Multiarch: the target's libraries sit beside the build machine's under /usr,
# so the search stays in the real root, restricted to the target's library
# folder (CMAKE_LIBRARY_ARCHITECTURE) and the shared headers.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
# pkg-config reads only the target's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${QUILLET_CROSS_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# The binfmt handler may not be registered (containers): name qemu-user
# explicitly. The loader and libraries come from the multiarch packages.
find_program(QUILLET_QEMU NAMES qemu-aarch64-static qemu-aarch64 NO_CMAKE_FIND_ROOT_PATH)
if(QUILLET_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLET_QEMU})
endif()
