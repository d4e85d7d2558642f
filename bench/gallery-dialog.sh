#!/usr/bin/env bash
# Benchmark, not a test: the gallery dialog opened on a stored local gallery
# of 500 photograph-sized JPEGs (800 x 600), one entry per file, timed from
# the opening until every picture is listed with its thumbnail and OK is
# enabled. The scan alone does the same pictures in bench/gallery-scan.sh.
#   bench/gallery-dialog.sh [folder of pictures]   (default: the set that
#   bench/common.sh makes; QUILLORY_BUILD_DIR chooses the build folder)
set -euo pipefail

source "$(dirname "$0")/common.sh"
bench_build gallery_dialog_bench
start_display

if [ -n "${1:-}" ]; then
  folder="$(cd "$1" && pwd)"
else
  bench_photos
  folder="$bench_photo_dir"
fi
out="$(wine "$dir/galleries/gallery_dialog_bench.exe" "$(winepath -w "$folder")" | tr -d '\r')"
printf '%s\n' "$out"
printf '%s\n' "$out" | grep -q '^usable_ms [0-9]' || { echo "the benchmark program failed" >&2; exit 1; }
