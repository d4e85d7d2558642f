# Sourced by the benchmarks: builds one target of the 64-bit build and
# prepares a Wine prefix (kept between runs) to run it in, with the Wine
# set-up of quillory.sh (scripts/wine-env.sh), so that the benchmarks also run
# where only 64-bit Wine starts.
#   bench_build TARGET    sets $dir to the 64-bit build folder
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLORY_BUILD_DIR:-$root/build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
dir="$build/x86_64"
source "$root/scripts/wine-env.sh"
source "$root/scripts/private-network.sh"

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
  # The benchmarks draw into memory bitmaps only: no display is needed.
  wine_env
  trap stop_wine EXIT
  [ -d "$WINEPREFIX" ] || make_wine_prefix
  # The stand-in is reached over TLS, as a user's copy reaches the server.
  trust_test_authority
}
