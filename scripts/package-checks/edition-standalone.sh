# The standalone JACK program of the installed package: /usr/bin/quillet-k3,
# its manual page and its pedal unit; run headless on a JACK server of its own
# (jackd's dummy driver), it shows its four audio ports and its MIDI input,
# joins the system's, and saves its values on SIGTERM.
# Sourced by scripts/test-package.sh, which gives $scratch, $files (the
# package's paths) and fail.
check_edition() {
  local program=/usr/bin/quillet-k3 server="quillet-package-$$" home="$scratch/standalone-home"
  local jackd_pid k3_pid ports state
  grep -qx "$program" "$files" || fail "the package lacks $program"
  grep -qx /usr/lib/systemd/user/quillet-k3.service "$files" || fail "the package lacks the pedal unit"
  grep -q -- "--wait-for-server" <(env -u DISPLAY "$program" --help) || fail "$program --help"
  mkdir -p "$home"
  JACK_DEFAULT_SERVER=$server jackd -n "$server" --no-realtime -d dummy -r 48000 -p 256 \
    >"$scratch/standalone-jackd.log" 2>&1 &
  jackd_pid=$!
  for _ in $(seq 1 100); do
    JACK_DEFAULT_SERVER=$server jack_lsp 2>/dev/null | grep -q system:playback_1 && break
    sleep 0.1
  done
  env -u DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/config" JACK_DEFAULT_SERVER=$server \
    "$program" --no-gui --connect --preset slapback >"$scratch/standalone.out" 2>&1 &
  k3_pid=$!
  for _ in $(seq 1 100); do
    ports=$(JACK_DEFAULT_SERVER=$server jack_lsp -c 2>/dev/null | grep -c '^quillet-k3:' || true)
    [ "$ports" = 5 ] && break
    sleep 0.1
  done
  JACK_DEFAULT_SERVER=$server jack_lsp -c | grep -A1 '^quillet-k3:' | tr '\n' ' '
  echo
  kill -TERM "$k3_pid"
  wait "$k3_pid" || { kill "$jackd_pid"; fail "quillet-k3 did not end with status 0: $(cat "$scratch/standalone.out")"; }
  kill -TERM "$jackd_pid"
  wait "$jackd_pid" || true
  [ "$ports" = 5 ] || fail "quillet-k3 showed $ports ports, not 5 (four audio, midi_in)"
  state=$home/config/quillet-k3/standalone
  [ "$(stat -c %s "$state" 2>/dev/null)" = 44 ] || fail "no 44-byte state saved in $state"
  tail -1 "$scratch/standalone.out"
}
