#!/usr/bin/env bash
# Installs the Debian 12 packages a job needs, when missing. With no argument:
# what the build of every edition, the manual and the demo need (the LV2
# headers, libjack's for the standalone program, gnuplot and Xvfb included: a
# Release build stops without them). Groups add what some jobs
# need:
#   --deb         making the Debian package (dpkg-shlibdeps, file)
#   --tests       the test suite (GoogleTest, Xvfb and xrdb, valgrind, a third-party plug-in, the
#                 LV2 headers for the UI library's tests, suil and GTK 2 for a host of the UI
#                 as Ardour embeds it, Qtractor's CLAP scanner, Chromium for the manual's
#                 check, a JACK server for the standalone program's tests)
#   --windows     the mingw-w64 cross compiler, Wine, ImageMagick and NSIS (the installer)
#   --lv2         the LV2 headers and real LV2 hosts (lilv tools, jalv, JACK, Ardour,
#                 GStreamer with its lv2 element and the WAV elements)
#   --sanitizers  clang with its sanitizer run-times and libFuzzer
#   --validators  what pluginval needs at run time (ALSA, fontconfig, FreeType) and Xvfb
#   --package     Debian packaging checks (lintian), and the hosts the README's host
#                 commands use on the installed package: Ardour's VST scanner, lilv's
#                 tools, jalv with a JACK server, Xvfb for jalv's window, Qtractor's
#                 CLAP scanner, Chromium for the installed manual
#   --web         the web edition: emscripten (with its prebuilt C and C++ libraries), binaryen,
#                 Node.js (its checks and benchmark), Chromium and Firefox ESR for the
#                 browser checks
#   --arm64       the aarch64 cross compiler, qemu-user, and the arm64 development
#                 packages through Debian's multiarch (adds the arm64 architecture to
#                 dpkg; the machine's own packages are untouched)
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config libsndfile1-dev libstb-dev libx11-dev
  lv2-dev libjack-jackd2-dev gnuplot-nox xvfb x11-utils)
# Foreign architectures whose packages (NAME:ARCH) a group needs.
architectures=()
for group in "$@"; do
  case "$group" in
    --tests)
      packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang-format xvfb xdotool x11-utils
        x11-xserver-utils fonts-dejavu-core lsp-plugins-vst valgrind lv2-dev libsuil-dev
        libgtk2.0-dev qtractor chromium python3 jackd2) ;;
    --windows)
      packages+=(g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 wine64
        imagemagick python3 xvfb xdotool x11-utils nsis) ;;
    --lv2)
      packages+=(lv2-dev lilv-utils serdi jalv jackd2 ardour xvfb xdotool x11-utils
        gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
        gstreamer1.0-plugins-bad) ;;
    --sanitizers)
      packages+=(clang libclang-rt-14-dev libfuzzer-14-dev) ;;
    --validators)
      packages+=(libasound2 libfontconfig1 libfreetype6 xvfb) ;;
    --deb)
      packages+=(dpkg-dev file) ;;
    --package)
      packages+=(lintian dpkg-dev file ardour lilv-utils jalv jackd2 xvfb xdotool x11-utils qtractor
        chromium python3) ;;
    --bench)
      packages+=(libbenchmark-dev) ;;
    --web)
      packages+=(emscripten binaryen nodejs chromium firefox-esr) ;;
    --arm64)
      # lv2-dev and libstb-dev of the machine's own architecture serve as headers.
      packages+=(g++-aarch64-linux-gnu qemu-user-static libsndfile1-dev:arm64 libx11-dev:arm64
        libjack-jackd2-dev:arm64 libgtest-dev:arm64 lv2-dev lintian dpkg-dev file python3)
      architectures+=(arm64) ;;
    *) echo "install-deps.sh: unknown group $group" >&2; exit 2 ;;
  esac
done

# A name without an architecture means the machine's own (or an
# architecture-independent package): with multiarch, the same name may be
# installed for another architecture only.
native=$(dpkg --print-architecture)
installed() {
  case "$1" in
    *:*) dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q "install ok installed" ;;
    *) dpkg-query -W -f='${Architecture} ${Status}\n' "$1" 2>/dev/null |
      grep -qE "^($native|all) install ok installed" ;;
  esac
}
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
for arch in "${architectures[@]}"; do
  dpkg --print-foreign-architectures | grep -qx "$arch" ||
    "${sudo_cmd[@]}" dpkg --add-architecture "$arch"
done
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
