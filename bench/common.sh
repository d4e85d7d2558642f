# Sourced by the benchmarks: builds one target of the 64-bit build and
# prepares a Wine prefix (kept between runs) to run it in, with the Wine
# set-up of quillory.sh (scripts/wine-env.sh), so that the benchmarks also run
# where only 64-bit Wine starts.
#   bench_build TARGET    sets $dir to the 64-bit build folder
#   bench_photos          makes the photographs below (once) after bench_build
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

# 500 photograph-sized JPEGs, 800 x 600, in $bench_photo_dir (made with
# ImageMagick, kept in the build folder between runs).
bench_photo_count=500
bench_photos() {
  bench_photo_dir="$dir/bench-photos"
  [ "$(find "$bench_photo_dir" -name '*.jpg' 2>/dev/null | wc -l)" -eq "$bench_photo_count" ] && return
  rm -rf "$bench_photo_dir"
  mkdir -p "$bench_photo_dir"
  # One detailed scene, then each photograph a shifted, tinted copy of it:
  # fine detail everywhere, as in a real photograph, and every file distinct.
  # One ImageMagick process writes them all.
  local args=(-size 800x600 plasma:fractal -blur 0x1 -quality 90) i
  for i in $(seq 1 "$bench_photo_count"); do
    args+=("(" +clone -roll "+$((i * 7 % 800))+$((i * 13 % 600))" -modulate "100,$((80 + i % 40)),$((i % 200))"
           -write "$(printf '%s/photo%04d.jpg' "$bench_photo_dir" "$i")" +delete ")")
  done
  convert "${args[@]}" null:
}
