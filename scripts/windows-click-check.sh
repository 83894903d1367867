#!/usr/bin/env bash
# Runs on an X display: opens the editor of DLL under Wine, clicks the Mute
# key with xdotool and checks that Mute went from off to on in one gesture.
#   windows-click-check.sh WINE PROBE.exe DLL
set -euo pipefail
wine=$1 probe=$2 dll=$3
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$wine" "$probe" "$dll" 4 30 >"$log" 2>&1 &
pid=$!
for _ in $(seq 1 300); do
  grep -q ready "$log" && break
  sleep 0.1
done
read -r _ x y < <(grep ready "$log" | tr -d '\r')
# The middle of the Mute key, 60 x 40 at 225, 307 on the panel.
xdotool mousemove $((x + 255)) $((y + 327))
sleep 0.2
xdotool click 1
wait "$pid"
result=$(grep parameter "$log" | tr -d '\r')
echo "$result"
[ "$result" = "parameter 4: 0 -> 1, automate 1, begin 1, end 1" ]
