#!/bin/sh
# Qtractor's own plug-in scanner, fed "CLAP:<path>" on standard input as
# Qtractor feeds it, must list Quillet K3 as a stereo effect with eleven
# parameters and a panel ("GUI" among the flags). Skipped (77) where Qtractor
# is not installed.
set -eu
module="$1"
scanner=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
[ -x "$scanner" ] || { echo "no Qtractor scanner: skipped"; exit 77; }
out=$(echo "CLAP:$module" | timeout 60 "$scanner")
echo "$out"
# TYPE|name|audio in:out|midi in:out|controls in:out|flags|path|index|id
case "$out" in
  "CLAP|Quillet K3|2:2|0:0|11:0|GUI,"*"|$module|0|"*) ;;
  *) echo "unexpected scanner output" >&2; exit 1 ;;
esac
