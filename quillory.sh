#!/usr/bin/env bash
# Quillory on Debian: installs what is missing, cross-builds both programs and
# runs them, or their tests, under Wine.
#   ./quillory.sh build   install and build only
#   ./quillory.sh test    install, build, run every test of both builds
#   ./quillory.sh run     install, build, start Quillory Window on the online
#                         demo gallery that the stand-in server serves
#   ./quillory.sh run --online DIR  the same, the stand-in serving the
#                                   pictures of DIR as the online gallery
#   ./quillory.sh run --local DIR   the same, with the pictures of DIR as the
#                                   selected local gallery
#   ./quillory.sh fuzz [TARGET] [--runs N] [--seconds S]   the fuzz driver
# QUILLORY_BUILD_DIR chooses the build folder (default: build).
set -euo pipefail

root="$(cd "$(dirname "$0")" && pwd)"
build="${QUILLORY_BUILD_DIR:-$root/build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
jobs="$(nproc)"

install_deps() { "$root/scripts/install-deps.sh"; }

configure_and_build() {
  local arch="$1" dir="$build/$1"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" >/dev/null
  fi
  cmake --build "$dir" --parallel "$jobs"
}

build_all() {
  install_deps
  # i686 first: Quillory Window carries the 32-bit Quillory Setup.exe.
  configure_and_build i686
  configure_and_build x86_64
}

# The Wine prefix, Xvfb and the 64-bit-only shim, shared with the benchmarks;
# the private network namespaces of the runs.
source "$root/scripts/wine-env.sh"
source "$root/scripts/private-network.sh"

# Wine settings, then the clean-up trap, then a display and a fresh prefix
# that trusts the test authority of the stand-in's certificates: a failed
# start leaves nothing running.
start_wine() {
  wine_env
  trap stop_wine EXIT
  start_display
  make_wine_prefix
  trust_test_authority
}

# How many test programs ctest runs at once: each in a world of its own
# (scripts/run-test-program.sh) where network namespaces can be made, else
# one at a time in the shared prefix. QUILLORY_TEST_JOBS overrides it.
test_jobs() {
  if [ -n "${QUILLORY_TEST_JOBS:-}" ]; then
    echo "$QUILLORY_TEST_JOBS"
  elif can_use_private_network; then
    echo "$jobs"
  else
    echo 1
  fi
}

run_tests() {
  build_all
  start_wine
  local status=0 arch summary=()
  for arch in x86_64 i686; do
    if [ "$arch" = i686 ] && ! host_runs_32bit; then
      summary+=("$arch: not run: this machine's kernel cannot run 32-bit programs, which Wine needs for 32-bit Windows programs (built only)")
      continue
    fi
    echo "== tests: $arch"
    local log="$build/$arch/ctest.log"
    ctest --test-dir "$build/$arch" --output-on-failure --timeout 900 -j "$(test_jobs)" "$@" 2>&1 | tee "$log" || status=1
    summary+=("$arch: $(grep -E 'tests passed' "$log" | tail -n 1 || echo 'no ctest summary')")
  done
  echo "== summary"
  printf '%s\n' "${summary[@]}"
  return "$status"
}

# Stores DIR as the one entry of the local gallery "Local" and selects it,
# as the gallery dialog stores a gallery, and makes the local galleries the
# media source.
store_local_gallery() {
  local folder key='HKCU\Software\Velmora\Quillory\3'
  folder="$(winepath -w "$(cd "$1" && pwd)")"
  wine reg add "$key\Local Galleries" /v "Selected Local Gallery" /t REG_SZ /d Local /f >/dev/null 2>&1
  wine reg add "$key\Local Galleries\Local" /v "{6C0CA1D4-5E51-4C1B-9F7E-0D6F1A3B2C01}" /t REG_SZ \
    /d "$folder" /f >/dev/null 2>&1
  wine reg add "$key" /v "Media Source" /t REG_BINARY /d 00000080 /f >/dev/null 2>&1
}

# Makes the online galleries the media source and selects the stand-in's
# gallery, stored as the gallery choice stores it: "language|path".
store_online_gallery() {
  local key='HKCU\Software\Velmora\Quillory\3'
  wine reg add "$key" /v "Media Source" /t REG_BINARY /d 00000000 /f >/dev/null 2>&1
  wine reg add "$key" /v "Selected Online Gallery" /t REG_SZ /d "1033|Demo" /f >/dev/null 2>&1
}

# Whether the stand-in of the run has served a slide.
standin_served_slide() {
  /usr/bin/python3 - <<'PY' 2>/dev/null
import sys, urllib.request
with urllib.request.urlopen("http://127.0.0.1/_control/slides", timeout=2) as answer:
    sys.exit(0 if answer.read().strip() else 1)
PY
}

run_program() {
  local local_dir="" online_dir=""
  case "${1:-}" in
    --local)
      [ -d "${2:-}" ] || { echo "usage: $0 run [--local DIR | --online DIR]" >&2; return 2; }
      local_dir="$2" ;;
    --online)
      [ -d "${2:-}" ] || { echo "usage: $0 run [--local DIR | --online DIR]" >&2; return 2; }
      online_dir="$(cd "$2" && pwd)" ;;
  esac
  build_all
  # The rest in a network namespace of its own where allowed (the stand-in's
  # ports are then this run's alone); the build above may need the network.
  # A display reached over TCP would not be reachable from there.
  case "${DISPLAY:-}" in ""|:*) enter_private_network "$0" run "$@" ;; esac
  local exe="$root/dist/Quillory Window.exe"
  if [ ! -f "$exe" ]; then
    echo "Quillory Window is not built yet: nothing to start."
    return 0
  fi
  local had_display="${DISPLAY:-}"
  start_wine
  local standin_state="$build/run-standin"
  if [ -n "$local_dir" ]; then
    store_local_gallery "$local_dir"
  else
    # The stand-in serves the demo gallery (the program's own artwork) or
    # DIR; it is stopped with Wine when the run ends.
    local served=()
    [ -z "$online_dir" ] || served=(--set "gallery=$online_dir")
    "$root/standins/server/run.sh" start --state-dir "$standin_state" -- "${served[@]}"
    trap "\"$root/standins/server/run.sh\" stop --state-dir \"$standin_state\"; stop_wine" EXIT
    store_online_gallery
  fi
  if [ -n "$had_display" ]; then
    wine "$exe"
    # After the first-run language choice the program starts a new copy of
    # itself and ends: the run lasts until the last program of the prefix ends.
    wineserver -w
  else
    # The screenshot shows the show itself: English and a 480-pixel display
    # area near the top right (top, bottom, left, right) are stored, so that
    # the first-run dialogs do not come.
    local key='HKCU\Software\Velmora\Quillory\3'
    wine reg add "$key" /v Language /t REG_DWORD /d 1033 /f >/dev/null 2>&1 || true
    wine reg add "$key" /v "Display Area" /t REG_BINARY /d 3c0000001c020000e4020000c4040000 /f >/dev/null 2>&1 || true
    wine "$exe" &
    local pid=$! shown=0
    # Waits for the main window, then a little for its first slide to fade in.
    for _ in $(seq 120); do
      if xwininfo -root -tree 2>/dev/null | grep -q '"Quillory'; then shown=1; break; fi
      sleep 0.5
    done
    [ "$shown" -eq 1 ] || echo "Quillory Window did not show a window within 60 s" >&2
    if [ -z "$local_dir" ]; then
      # An online slide: wait until the stand-in has served one.
      for _ in $(seq 240); do standin_served_slide && break; sleep 0.5; done
      standin_served_slide || echo "the stand-in served no slide within 120 s" >&2
    fi
    sleep "${QUILLORY_SHOT_DELAY:-3}"
    import -window root "$root/dist/screenshot.png"
    echo "screenshot saved to dist/screenshot.png"
    kill "$pid" 2>/dev/null || true
  fi
}

# The fuzz driver under Wine: every target (or the one named), each for
# --runs inputs (default 1000) or --seconds, from the seeds in fuzz/seeds.
run_fuzz() {
  build_all
  cmake --build "$build/x86_64" --target quillory_fuzz --parallel "$jobs"
  start_wine
  local exe="$build/x86_64/fuzz/quillory_fuzz.exe"
  (cd "$build/x86_64/fuzz" && wine "$exe" --seeds "$(winepath -w "$root/fuzz/seeds")" "$@")
}

case "${1:-}" in
  build) build_all ;;
  test) shift; run_tests "$@" ;;
  run) shift; run_program "$@" ;;
  fuzz) shift; run_fuzz "$@" ;;
  *) echo "usage: $0 build|test|run [--local DIR]|fuzz" >&2; exit 2 ;;
esac
