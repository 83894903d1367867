#!/bin/sh
# The layering check itself: a tree that keeps the rules passes, and each
# kind of breach in a copy of it fails with the file named.
#   check_includes_test.sh CHECK-SCRIPT
set -eu
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

mkdir -p "$tree/platform" "$tree/gui" "$tree/editor" "$tree/vst" "$tree/cli" "$tree/core" "$tree/lv2/ui" \
  "$tree/standalone" "$tree/host" "$tree/clap/interface" "$tree/vst/interface"
echo '#include <X11/Xlib.h>' >"$tree/platform/window.cpp"
printf '#include "platform/window.h"\n#include "gui/view.h"\n#include "stb/stb_image.h"\n' \
  >"$tree/gui/view.cpp"
printf '#include "core/panel_host.h"\n#include "gui/view.h"\n' >"$tree/editor/panel.cpp"
printf '#include "editor/panel.h"\n#include "lv2/ports.h"\n' >"$tree/lv2/ui/ui.cpp"
printf '#include "core/echo_core.h"\n#include "editor/panel.h"\n#include "cli/command_line.h"\n' \
  >"$tree/standalone/program.cpp"
echo '#include "cli/number_text.h"' >"$tree/host/parameters.cpp"
echo '#include <string>' >"$tree/cli/number_text.cpp"
echo '#include <stdint.h>' >"$tree/clap/interface/clap_plugin.h"
echo '#include <cstdint>' >"$tree/vst/interface/vst2_interface.h"
sh "$check" "$tree" >/dev/null || { echo "a clean tree was refused" >&2; exit 1; }

expect_refused() {  # FILE LINE: the breach written into FILE must be reported
  cp "$tree/$1" "$tree/$1.keep"
  echo "$2" >>"$tree/$1"
  if out=$(sh "$check" "$tree" 2>&1); then
    echo "not refused: $2 in $1" >&2
    exit 1
  fi
  case "$out" in *"$1"*) ;; *) echo "the report does not name $1: $out" >&2; exit 1 ;; esac
  mv "$tree/$1.keep" "$tree/$1"
}
expect_refused platform/window.cpp '#include "gui/view.h"'
expect_refused gui/view.cpp '#include "editor/panel.h"'
expect_refused gui/view.cpp '#include "vst/interface/vst2_interface.h"'
expect_refused gui/view.cpp '#  include "core/panel_host.h"'
expect_refused editor/panel.cpp '#include "vst/aeff_editor.h"'
expect_refused editor/panel.cpp '#include "../vst/aeff_editor.h"'
expect_refused lv2/ui/ui.cpp '#include "vst/audio_effect_x.h"'
expect_refused standalone/program.cpp '#include "host/commands/command_table.h"'
expect_refused standalone/program.cpp '#include "lv2/ui/ui.h"'
expect_refused host/parameters.cpp '#include "core/echo_core.h"'
expect_refused cli/number_text.cpp '#include "core/param_table.h"'
expect_refused cli/number_text.cpp '#include "platform/tick_count.h"'
expect_refused host/parameters.cpp '#include "vst/audio_effect.h"'
expect_refused host/parameters.cpp '#include "clap/gesture_queue.h"'
expect_refused clap/interface/clap_plugin.h '#include "core/param_table.h"'
expect_refused vst/interface/vst2_interface.h '#include "platform/tick_count.h"'
echo "layering check: refuses what it should"
