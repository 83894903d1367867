#!/usr/bin/env bash
# Runs on an X display: opens the editor of DLL under Wine, presses BUTTON
# (xdotool: 1 left, 4 wheel up) at X, Y on the panel and checks what became
# of the parameter INDEX: the probe's line must start with EXPECTED.
#   windows-click-check.sh WINE PROBE.exe DLL INDEX X Y BUTTON EXPECTED
set -euo pipefail
wine=$1 probe=$2 dll=$3 index=$4 px=$5 py=$6 button=$7 expected=$8
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$wine" "$probe" "$dll" "$index" 30 >"$log" 2>&1 &
pid=$!
for _ in $(seq 1 300); do
  grep -q ready "$log" && break
  sleep 0.1
done
read -r _ x y < <(grep ready "$log" | tr -d '\r')
# A synced move waits until the pointer is there, for ever if it is there
# already: a step next to the target first.
xdotool mousemove $((x + px)) $((y + py + 1)) mousemove --sync $((x + px)) $((y + py))
xdotool click "$button"
wait "$pid"
result=$(grep parameter "$log" | tr -d '\r')
echo "$result"
case "$result" in
  "$expected"*) ;;
  *) echo "expected: $expected"; exit 1 ;;
esac
