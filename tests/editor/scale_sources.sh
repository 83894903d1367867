#!/bin/sh
# Where the panel's size comes from, through the built editor library as a
# host opens it: the first of the environment (QUILLET_UI_SCALE), the user's
# choice (the settings file), the host's factor (effVendorSpecific), the
# desktop's (Xft.dpi in the X server's resources, set with xrdb), else 1.
# Usage: scale_sources.sh QUILLET-HOST QTAPG_x64.so  (with an X display)
set -eu
host=$1
plugin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"; xrdb -remove </dev/null 2>/dev/null || true' EXIT
export XDG_CONFIG_HOME="$work/config"
unset QUILLET_UI_SCALE GDK_SCALE || true
failures=0

# size EXPECTED DESCRIPTION [snapshot options...]
size() {
  want=$1 what=$2
  shift 2
  got=$("$host" snapshot "$plugin" -o "$work/panel.png" "$@" | sed 's/.*: //')
  if [ "$got" = "$want" ]; then
    echo "ok: $what: $got"
  else
    echo "FAILED: $what: $got, expected $want"
    failures=$((failures + 1))
  fi
}

xrdb -remove </dev/null
size 586x385 "nothing says anything"
echo "Xft.dpi: 144" | xrdb -merge
size 879x578 "the desktop's Xft.dpi 144"
size 1172x770 "the host's 2 beats the desktop" --host-scale 2
mkdir -p "$XDG_CONFIG_HOME/quillet-k3"
printf 'ui-scale = 1.75\n' >"$XDG_CONFIG_HOME/quillet-k3/settings"
size 1026x674 "the user's 1.75 beats the host" --host-scale 2
QUILLET_UI_SCALE=1.25 size 733x481 "the environment beats them all" --host-scale 2
QUILLET_UI_SCALE=banana size 1026x674 "a slip in the environment is ignored" --host-scale 2
printf 'ui-scale = auto\n' >"$XDG_CONFIG_HOME/quillet-k3/settings"
xrdb -remove </dev/null
size 586x385 "automatic with nothing else"
[ "$failures" = 0 ]
