#!/usr/bin/env bash
# How ctest runs one test program under Wine (cmake/Quillory.cmake):
#   run-test-program.sh PROGRAM.exe ARGUMENTS...   (or a script that starts Wine)
# Where the machine allows network namespaces (scripts/private-network.sh),
# the program gets a world of its own, so that ctest can run programs side by
# side (quillory.sh passes -j) and test runs of other working copies never
# meet it: a network namespace with the loopback interface up, its own copy
# of the Wine prefix that quillory.sh made ($WINEPREFIX: the registry is
# per program), its own Xvfb and, when QUILLORY_STANDIN_STATE names a state
# folder, its own stand-in server on 127.0.0.1:80 and 443. Elsewhere it runs
# as before: in the shared prefix and display, with a stand-in of its own
# that waits for the ports while another one holds them (standins/server/run.sh).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
source "$here/private-network.sh"
# start_xvfb_from; its Xvfb is stopped with the world (wine_xvfb_pid).
source "$here/wine-env.sh"
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM ARGUMENTS..." >&2; exit 2; }

if [ -z "${QUILLORY_TEST_WORLD:-}" ]; then
  if can_use_private_network; then
    export QUILLORY_TEST_WORLD=private
    exec unshare -n -- bash -c 'source "$0" && bring_up_private_network && exec "$@"' \
      "$here/private-network.sh" "$0" "$@"
  fi
  export QUILLORY_TEST_WORLD=shared
fi

program="$1"
shift
standin="$root/standins/server/run.sh"
world=""
standin_started=0

finish() {
  local status=$?
  [ "$standin_started" -eq 0 ] || "$standin" stop --state-dir "$QUILLORY_STANDIN_STATE" || true
  if [ -n "$world" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    [ -z "$wine_xvfb_pid" ] || kill "$wine_xvfb_pid" 2>/dev/null || true
    rm -rf "$world"
  fi
  exit "$status"
}
trap finish EXIT

# A copy of the prefix that costs little: Wine's program files and fonts
# (most of its 1.3 GB, never written) are hard links to the original's; the
# registry, the .ini files and everything else that Wine or a test may
# rewrite in place are copies.
copy_prefix() {
  local from="$1" to="$2"
  cp -al "$from" "$to"
  find "$to" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' -o -iname '*.sys' -o -iname '*.ocx' \
    -o -iname '*.acm' -o -iname '*.cpl' -o -iname '*.ax' -o -iname '*.tlb' -o -iname '*.nls' -o -iname '*.ttf' \
    -o -iname '*.fon' \) -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv -f "$f.copy" "$f"; done' copy {} +
}

if [ "$QUILLORY_TEST_WORLD" = private ] && [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
  world="$(mktemp -d "$(dirname "$WINEPREFIX")/test-world.XXXXXX")"
  copy_prefix "$WINEPREFIX" "$world/prefix"
  export WINEPREFIX="$world/prefix"
  # From :100 on: the numbers below are left to quillory.sh and the benchmarks.
  start_xvfb_from 100
fi

if [ -n "${QUILLORY_STANDIN_STATE:-}" ]; then
  "$standin" start --state-dir "$QUILLORY_STANDIN_STATE" >/dev/null
  standin_started=1
fi

status=0
case "$program" in
  *.exe) wine "$program" "$@" || status=$? ;;
  *) "$program" "$@" || status=$? ;;  # a script that starts Wine itself
esac
exit "$status"
