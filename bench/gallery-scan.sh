#!/usr/bin/env bash
# Benchmark, not a test: the gallery scan adds the files of one folder and is
# timed until its end message, every record received; in the same run each
# picture is decoded once with GDI+ and nothing else. The thumbnails are the
# scan's real work; "ratio R" is scan over bare decode. Two sets:
#   small   2,000 small pictures (made by the program)
#   photos  500 photograph-sized JPEGs, 800 x 600 (made here with ImageMagick,
#           kept in the build folder between runs)
#   bench/gallery-scan.sh [files]   (QUILLORY_BUILD_DIR chooses the build folder)
set -euo pipefail

source "$(dirname "$0")/common.sh"
bench_build gallery_scan_bench

module="$(winepath -w "$dir/resources/languages/Resources EN US.dll")"
run_set() {
  local name="$1"; shift
  local out scan decode
  out="$(wine "$dir/galleries/gallery_scan_bench.exe" "$@" | tr -d '\r')"
  scan="$(printf '%s\n' "$out" | awk '/^scan_ms/ {print $2}')"
  decode="$(printf '%s\n' "$out" | awk '/^decode_ms/ {print $2}')"
  [ -n "$scan" ] && [ -n "$decode" ] || { printf '%s\n' "$out"; echo "the benchmark program failed ($name)" >&2; exit 1; }
  printf '%s\n' "$out" | sed "s/^/$name /"
  awk -v n="$name" -v s="$scan" -v d="$decode" 'BEGIN { printf "%s ratio %.2f\n", n, s / d }'
}

run_set small "${1:-2000}" "$module"
bench_photos
run_set photos "$bench_photo_count" "$module" "$(winepath -w "$bench_photo_dir")"
