# Sourced by quillory.sh, the benchmarks (bench/common.sh) and the test runner
# (scripts/run-test-program.sh, for start_xvfb_from): the Wine set-up they use.
# The caller sets $build, the build folder, first.
#   wine_env            the prefix, home and Wine settings; the 64-bit shim where needed
#   host_runs_32bit     whether this machine's kernel runs 32-bit Linux programs
#   start_xvfb_from N   an Xvfb on the first free display from :N
#   start_display       an Xvfb of our own when there is no display
#   make_wine_prefix    a fresh Wine prefix, set up for the tests
#   map_dialog_faces    the dialog faces a Windows machine has, mapped to DejaVu Sans
#   stop_wine           ends the Wine server and our Xvfb; callers set it as
#                       their EXIT trap before they start anything

# Debian's wine wrapper always takes the 32-bit loader when it is installed;
# on a kernel that cannot run 32-bit programs (no IA-32 emulation) that loader
# fails to start ("Exec format error"), so wine and wine-stable (which
# wineboot calls) are pointed at the 64-bit loader. 32-bit Windows programs
# cannot run there at all.
host_runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

use_wine64_only() {
  local shim="$build/wine64-only" name
  mkdir -p "$shim"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
    chmod +x "$shim/$name"
  done
  case ":$PATH:" in *":$shim:"*) ;; *) export PATH="$shim:$PATH" ;; esac
}

wine_env_set=0
wine_env() {
  wine_env_set=1
  export WINEPREFIX="$build/wineprefix" HOME="$build/home"
  # No Mono or Gecko, and no debugger: a crashing program must end, not wait in winedbg.
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d"
  host_runs_32bit || use_wine64_only
}

wine_xvfb_pid=""
# An Xvfb on the first free display number from $1 on (up to :399): DISPLAY
# names it and wine_xvfb_pid is its pid. Lock files and sockets in /tmp are
# seen by every network namespace, so runs side by side never take the same
# number; an Xvfb that loses a race for a number (or meets a stale socket)
# ends at once, and the next number is tried.
start_xvfb_from() {
  local n
  for n in $(seq "$1" 399); do
    [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] || continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    wine_xvfb_pid=$!
    for _ in $(seq 300); do
      if [ -e "/tmp/.X11-unix/X$n" ] && grep -q "$wine_xvfb_pid" "/tmp/.X$n-lock" 2>/dev/null; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$wine_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$wine_xvfb_pid" 2>/dev/null || true
    wine_xvfb_pid=""
  done
  echo "Xvfb could not start on any display from :$1 to :399" >&2
  return 1
}

start_display() {
  [ -z "${DISPLAY:-}" ] || return 0
  start_xvfb_from 90
}

make_wine_prefix() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX" "$HOME"
  mkdir -p "$HOME"
  if ! wineboot -i >"$build/wineboot.log" 2>&1; then
    echo "wineboot failed to make a Wine prefix; see $build/wineboot.log" >&2
    return 1
  fi
  # No window manager runs on the test display: with Wine's windows managed,
  # every destroyed active window waits 2 s for a state change that never comes.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
  # Debian's Wine does not find the fonts of fonts-wine in its data folder;
  # in the prefix's Fonts folder they give GDI+ its generic sans-serif family
  # (Tahoma), which stands in where Arial or Verdana are missing.
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  map_dialog_faces
  wineserver -w
}

# The gallery dialog asks for "Lucida Sans" and then "Arial Unicode MS", which
# every Windows machine has and which hold the filter's operators (≡ ≢ ⊂ ⊄ ⊆
# ⊈). A Wine prefix has neither, and its own fonts lack those glyphs: Wine's
# font substitutes map both faces to DejaVu Sans (fonts-dejavu-core), which
# has them.
map_dialog_faces() {
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' face
  for face in "Lucida Sans" "Arial Unicode MS"; do
    wine reg add "$key" /v "$face" /t REG_SZ /d "DejaVu Sans" /f >/dev/null 2>&1 || true
  done
}

stop_wine() {
  # Only the server of our own prefix: before wine_env, WINEPREFIX may name the user's.
  [ "$wine_env_set" -eq 0 ] || wineserver -k >/dev/null 2>&1 || true
  if [ -n "$wine_xvfb_pid" ]; then
    kill "$wine_xvfb_pid" 2>/dev/null || true
    wine_xvfb_pid=""
  fi
}

# The test authority (standins/server/certificates.py), made where it is
# missing, becomes a trusted root of the prefix: its entry in the machine's
# root certificate store, as a Windows machine keeps its roots. Nothing else
# about certificate checks is changed. Sets QUILLORY_TEST_AUTHORITY (default:
# the build folder's test-authority) for the stand-in's run.sh.
trust_test_authority() {
  local certificates
  certificates="$(cd "$(dirname "${BASH_SOURCE[0]}")/../standins/server" && pwd)/certificates.py"
  export QUILLORY_TEST_AUTHORITY="${QUILLORY_TEST_AUTHORITY:-$build/test-authority}"
  /usr/bin/python3 -B "$certificates" "$QUILLORY_TEST_AUTHORITY" || return 1
  local thumbprint blob
  read -r thumbprint blob < <(/usr/bin/python3 -B "$certificates" --root-entry "$QUILLORY_TEST_AUTHORITY")
  wine reg add "HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumbprint" \
    /v Blob /t REG_BINARY /d "$blob" /f >/dev/null 2>&1 || return 1
  wineserver -w
}
