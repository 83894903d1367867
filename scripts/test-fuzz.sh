#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehavior-
# Sanitizer) and runs each for a bounded time from its committed seeds, two at
# a time. Any crash, sanitizer report, leak, or input slower than 5 s fails.
#   FUZZ_SECONDS=N   seconds per target (default 30)
#   FUZZ_TARGETS="fuzz_chunk ..."   a subset
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --sanitizers
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
  -DQUILLET_SANITIZE=address,undefined -DQUILLET_BUILD_FUZZERS=ON -DQUILLET_BUILD_TESTS=OFF \
  -DQUILLET_BUILD_BENCH=OFF -DQUILLET_BUILD_HOST=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j2 --target fuzzers

seconds=${FUZZ_SECONDS:-30}
targets=(${FUZZ_TARGETS:-fuzz_chunk fuzz_dispatcher_plain fuzz_dispatcher_editor fuzz_preset_file
  fuzz_audio_sndfile fuzz_audio_wav fuzz_core_input fuzz_settings_text fuzz_clap_input
  fuzz_vst3_state})
work=build-fuzz/run
rm -rf "$work"
mkdir -p "$work"

# New inputs go to a scratch corpus; the committed seeds are only read.
run_one() {
  local t=$1
  mkdir -p "$work/$t.corpus"
  if build-fuzz/tests/fuzz/$t -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/$t-" "$work/$t.corpus" tests/fuzz/corpus/$t \
    >"$work/$t.log" 2>&1; then
    echo "ok: $t, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$t.log" | grep -o '[0-9]*$') runs in ${seconds} s"
  else
    echo "FAILED: $t (log and the input in $work/)"
    tail -40 "$work/$t.log"
    return 1
  fi
}

status=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for t in "${targets[@]:i:2}"; do
    run_one "$t" &
    pids+=($!)
  done
  for p in "${pids[@]}"; do wait "$p" || status=1; done
done
exit $status
