# Sourced by the benchmarks: builds one target of the 64-bit build and
# prepares a Wine prefix (kept between runs) to run it in.
#   bench_build TARGET    sets $dir to the 64-bit build folder
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLORY_BUILD_DIR:-$root/build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
dir="$build/x86_64"

bench_build() {
  if [ ! -f "$dir/build.ninja" ]; then
    "$root/scripts/install-deps.sh"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" >/dev/null
  fi
  local log
  if ! log="$(cmake --build "$dir" --target "$1" 2>&1)"; then
    printf '%s\n' "$log" >&2
    exit 1
  fi
  # As in quillory.sh: where the kernel cannot run 32-bit programs, wine is
  # pointed at the 64-bit loader.
  if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    local shim="$build/wine64-only" name
    mkdir -p "$shim"
    for name in wine wine-stable; do
      printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
      chmod +x "$shim/$name"
    done
    export PATH="$shim:$PATH"
  fi
  export WINEPREFIX="$build/wineprefix" HOME="$build/home" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  if [ ! -d "$WINEPREFIX" ]; then
    mkdir -p "$HOME"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
}
