#!/usr/bin/env bash
# The editions in the plug-in world's own validators, run as hosts: Steinberg's
# VST3 validator (extensive suite) on the VST3 bundle, which must pass every
# test and read every parameter point it is handed; pluginval at strictness 10
# on the VST3 and the LV2 bundle; clap-info on the .clap (its scan, and its
# preset discovery), which must exit 0 and report no error. The validators are
# built from their public sources outside this tree (../shared/validators, or
# QUILLET_VALIDATORS); a clone without them skips the stage with one line.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/validators-common.sh
dir=$(validators_dir)
if [ ! -d "$dir" ]; then
  echo "validators: no $dir, the stage is skipped"
  exit 0
fi
for tool in vst3-validator pluginval clap-info; do
  [ -x "$dir/$tool" ] || { echo "validators: $dir has no $tool" >&2; exit 1; }
done
bash scripts/install-deps.sh --validators
if [ -f build/build.ninja ]; then
  cmake -S . -B build >/dev/null
else
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build -j"$(nproc)" --target quillet_vst3 quillet_clap quillet_lv2_bundle \
  quillet_k3_dsp quillet_k3_ui

vst3="build/Quillet K3.vst3"
lv2=build/quillet-k3.lv2
clap=build/QuilletK3.clap
logs=build/validators
rm -rf "$logs"
mkdir -p "$logs"
failures=0
failed() {
  echo "  FAILED: $*"
  failures=$((failures + 1))
}

echo "== vst3-validator -e on $vst3"
status=0
"$dir/vst3-validator" -e "$vst3" >"$logs/vst3-validator.log" 2>&1 || status=$?
counts=$(vst3_validator_counts "$logs/vst3-validator.log")
unread=$(grep -c "Not all points have been read via IParameterChanges" \
  "$logs/vst3-validator.log" || true)
if [ -z "$counts" ]; then
  failed "no result (exit $status), see $logs/vst3-validator.log"
else
  echo "  ${counts% *} tests passed, ${counts#* } failed; $unread lines of unread parameter points"
  if [ "${counts#* }" != 0 ]; then
    failed "tests failed:"
    vst3_validator_failures "$logs/vst3-validator.log"
  elif [ "$status" != 0 ]; then
    failed "exit $status"
  fi
  [ "$unread" = 0 ] || failed "parameter points left unread"
fi

# pluginval's verdict: exit 0, the plug-in found, the last word SUCCESS.
pluginval() {
  local path=$2 log=$logs/pluginval-$1.log status=0
  shift 2
  echo "== pluginval --strictness-level 10 on $path"
  # A home of its own: no copy of the plug-in in ~/.lv2 or a cache of earlier scans.
  env HOME="$(mktemp -d)" "$@" scripts/with-display.sh "$dir/pluginval" --strictness-level 10 \
    --validate "$path" >"$log" 2>&1 || status=$?
  local tests
  tests=$(grep -c "^Starting tests in:" "$log" || true)
  if [ "$status" = 0 ] && grep -qx "Num plugins found: 1" "$log" &&
    [ "$(grep -v '^[[:space:]]*$' "$log" | tail -n 1)" = SUCCESS ]; then
    echo "  SUCCESS ($tests test groups)"
  else
    failed "pluginval on $path (exit $status), see $log:"
    grep -E '^!!!|FAILED|^\*\*\*' "$log" | head -n 20 | sed 's/^/    /'
  fi
}
pluginval vst3 "$vst3"
# LV2: the build alone on lilv's path (two copies of the plug-in hide it).
pluginval lv2 "$lv2" LV2_PATH="$PWD/build"

# clap-info: the plug-in as a host sees it, and its preset discovery.
for run in scan preset-discovery; do
  echo "== clap-info ${run} on $clap"
  args=()
  [ "$run" = scan ] || args=(--preset-discovery)
  log=$logs/clap-info-$run.log
  status=0
  "$dir/clap-info" "${args[@]}" "$clap" >"$log" 2>&1 || status=$?
  errors=$(grep -ci error "$log" || true)
  if [ "$status" = 0 ] && [ "$errors" = 0 ]; then
    echo "  exit 0, no error ($(wc -l <"$log") lines)"
  else
    failed "clap-info ${args[*]} (exit $status, $errors lines with an error), see $log"
  fi
done

if [ "$failures" != 0 ]; then
  echo "validators: $failures failed; logs in $logs" >&2
  exit 1
fi
echo "validators: all passed; logs in $logs"
