# The CLAP edition of the installed package: one module, in /usr/lib/clap
# where CLAP hosts look, which Qtractor's own plug-in scanner lists as "Quillet
# K3", a stereo effect with eleven parameters and a panel, and whose nine
# factory presets quillet-host finds through preset discovery.
# Sourced by scripts/test-package.sh, which gives $scratch, $files (the
# package's paths) and fail.
check_edition() {
  local module=/usr/lib/clap/QuilletK3.clap scanner=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
  local ours line info
  ours=$(grep -E '^/usr/lib/clap/.' "$files" || true)
  [ "$ours" = "$module" ] || fail "expected exactly $module in /usr/lib/clap, found: $ours"
  [ -x "$scanner" ] || fail "no $scanner (package qtractor)"
  line=$(echo "CLAP:$module" | HOME="$scratch/clap-home" timeout 60 "$scanner" 2>"$scratch/clap-scan.err")
  echo "$line"
  case "$line" in
    "CLAP|Quillet K3|2:2|0:0|11:0|GUI,"*"|$module|0|"*) ;;
    *) fail "Qtractor's scanner does not list Quillet K3 with 11 parameters and a panel: $line $(cat "$scratch/clap-scan.err")" ;;
  esac
  info=$(/usr/bin/quillet-host info "$module") || fail "quillet-host info $module failed"
  grep -qE '^Presets: +9 ' <<<"$info" || fail "quillet-host finds no nine presets in $module"
  grep -qE '^ID: +com.marrowledge.quillet-k3$' <<<"$info" || fail "unexpected CLAP ID"
  echo "quillet-host info: $(grep -E '^(Name|Version|Presets):' <<<"$info" | tr -s ' ' | tr '\n' ' ')"
}
