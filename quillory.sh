#!/usr/bin/env bash
# Quillory on Debian: installs what is missing, cross-builds both programs and
# runs them, or their tests, under Wine.
#   ./quillory.sh build   install and build only
#   ./quillory.sh test    install, build, run every test of both builds
#   ./quillory.sh run     install, build, start Quillory Window
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
  configure_and_build x86_64
  configure_and_build i686
}

# The Wine prefix, Xvfb and the 64-bit-only shim, shared with the benchmarks.
source "$root/scripts/wine-env.sh"

# Wine settings, then the clean-up trap, then a display and a fresh prefix:
# a failed start leaves nothing running.
start_wine() {
  wine_env
  trap stop_wine EXIT
  start_display
  make_wine_prefix
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
    ctest --test-dir "$build/$arch" --output-on-failure --timeout 900 "$@" 2>&1 | tee "$log" || status=1
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

run_program() {
  local local_dir=""
  if [ "${1:-}" = "--local" ]; then
    [ -d "${2:-}" ] || { echo "usage: $0 run [--local DIR]" >&2; return 2; }
    local_dir="$2"
  fi
  build_all
  local exe="$root/dist/Quillory Window.exe"
  if [ ! -f "$exe" ]; then
    echo "Quillory Window is not built yet: nothing to start."
    return 0
  fi
  local had_display="${DISPLAY:-}"
  start_wine
  [ -z "$local_dir" ] || store_local_gallery "$local_dir"
  if [ -n "$had_display" ]; then
    wine "$exe"
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
