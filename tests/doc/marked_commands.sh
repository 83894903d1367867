#!/bin/sh
# marked_commands.sh PYTHON: the marked commands of the README and the guides
# in doc/ parse (every marker is followed by its block), the install and the
# archive commands and the demo are marked once each, and the host checks the package
# stage runs are all still there.
set -eu
python=$1
runner=scripts/package-checks/readme_commands.py
list=$("$python" "$runner" README.md doc/packaging.md doc/development.md --list)
printf '%s\n' "$list"
status=0
count() { printf '%s\n' "$list" | grep -c ": $1 " || true; }
for kind in install-deb package-zip demo windows-install windows-uninstall; do
  [ "$(count "$kind")" = 1 ] || { echo "want one '$kind' block, have $(count "$kind")" >&2; status=1; }
done
# The package stage's host checks: a background server, a window, and the
# scanners' and our host's listings.
[ "$(count background)" -ge 1 ] || { echo "no background block (the JACK server)" >&2; status=1; }
[ "$(count window)" -ge 1 ] || { echo "no window block (jalv's panel)" >&2; status=1; }
[ "$(count run)" -ge 6 ] || { echo "fewer than six run blocks: $(count run)" >&2; status=1; }
exit "$status"
