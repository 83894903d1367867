#!/bin/sh
# Runs a command with an X display of its own: a private Xvfb on a free
# display number, stopped again afterwards.
set -u
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1920x1200x24 -noreset -nolisten tcp 3>"$fdfile" 2>/dev/null &
xvfb=$!
for _ in $(seq 1 100); do
  [ -s "$fdfile" ] && break
  sleep 0.05
done
number=$(head -n1 "$fdfile")
rm -f "$fdfile"
if [ -z "$number" ]; then
  echo "run_with_xvfb: Xvfb did not start" >&2
  kill "$xvfb" 2>/dev/null
  exit 1
fi
DISPLAY=":$number" "$@"
status=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $status
