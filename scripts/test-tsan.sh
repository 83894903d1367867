#!/usr/bin/env bash
# Both plug-ins and the race stress host built with ThreadSanitizer (GCC), then
# the panel's test of stores from another thread while it idles, and the
# stress run on each library: one thread processing, one storing every
# parameter, one saving and restoring chunks and, for the editor build, the
# user-interface thread opening, idling and closing the panel. Then the CLAP
# module: its gesture queue's two-thread test, and the CLAP race stress (the
# audio thread storing event values while the main thread reads values,
# texts and the state and runs the panel on the host's timers). Then the
# standalone program's echo: the JACK callback running while the main thread
# starts it afresh at new rates. Then the VST3
# bundle: its audio thread against its controller's thread. Each stress is run
# once more with a host that breaks the format's thread rule, which must be
# reported (the stress can fail). Any other report fails the stage; nothing of
# ours is suppressed.
#   scripts/test-tsan.sh [SECONDS]   (default 12 per library)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
seconds="${1:-12}"
build=build-tsan
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
  -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_SANITIZE=thread \
  -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DQUILLET_BUILD_BENCH=OFF "${launcher[@]}" \
  >/dev/null
cmake --build "$build" -j2 --target QTAP_x64 QTAPG_x64 race_stress core_tests panel_tests \
  quillet_clap clap_race_stress clap_gesture_queue_tests quillet_vst3 vst3_race_stress \
  standalone_tests

export TSAN_OPTIONS="halt_on_error=1 exitcode=66"
"$build/tests/core/core_tests"
"$build/tests/editor/panel_tests" --gtest_filter='*AnotherThread*'
# The standalone program: its JACK callback while the main thread sets a new rate.
"$build/tests/standalone/standalone_tests" --gtest_filter='*Threads*'
stress="$build/tests/stress/race_stress"
"$stress" "$build/QTAP_x64.so" "$seconds"
scripts/with-display.sh "$stress" "$build/QTAPG_x64.so" "$seconds" --editor
# A module the sanitizer does not see into would pass vacuously.
instrumented=$(nm "$build/QuilletK3.clap" | grep -c __tsan_read || true)
[ "$instrumented" -gt 0 ] || { echo "QuilletK3.clap: not instrumented"; exit 1; }
"$build/tests/clap/clap_gesture_queue_tests"
clap_stress="$build/tests/stress/clap_race_stress"
scripts/with-display.sh "$clap_stress" "$build/QuilletK3.clap" "$((seconds / 2))" --panel
# The stress can fail: a host flushing while the plug-in processes (against
# CLAP's rule) races on the plug-in's event batch, and the sanitizer says so.
if "$clap_stress" "$build/QuilletK3.clap" 2 --break-thread-rule >"$build/broken-rule.log" 2>&1; then
  echo "clap_race_stress: a host breaking the thread rule went unreported"; exit 1
fi
grep -c "WARNING: ThreadSanitizer: data race" "$build/broken-rule.log" |
  sed 's/^/  the broken thread rule is reported: /; s/$/ race/' 
vst3_stress="$build/tests/stress/vst3_race_stress"
"$vst3_stress" "$build/Quillet K3.vst3" "$seconds"
if "$vst3_stress" "$build/Quillet K3.vst3" 2 --host-breaks-thread-rule >"$build/broken-rule.log" 2>&1; then
  echo "test-tsan: a host writing the controller from the audio thread went unreported" >&2
  exit 1
fi
grep -q "ThreadSanitizer: data race" "$build/broken-rule.log" || {
  cat "$build/broken-rule.log" >&2
  exit 1
}
echo "   the broken thread rule is reported: $(grep -c 'ThreadSanitizer: data race' "$build/broken-rule.log") race"
echo "test-tsan: no data race reported"
