#!/usr/bin/env bash
# Benchmark, not a test: the time of one cross-fade frame of a 1920 x 1080
# slide under Wine (the previous frame drawn, the new one over it through the
# alpha colour matrix with high-quality bicubic interpolation) against one
# plain GDI+ draw of the same bitmap in the same run. The last line is
# "ratio R", frame over plain draw. A frame runs every 10 ms.
#   bench/crossfade.sh            (QUILLORY_BUILD_DIR chooses the build folder)
set -euo pipefail

source "$(dirname "$0")/common.sh"
bench_build crossfade_bench

out="$(wine "$dir/slideshow/crossfade_bench.exe" 10 | tr -d '\r')"
frame="$(printf '%s\n' "$out" | awk '/^frame_ms/ {print $2}')"
draw="$(printf '%s\n' "$out" | awk '/^draw_ms/ {print $2}')"
[ -n "$frame" ] && [ -n "$draw" ] || { printf '%s\n' "$out"; echo "the benchmark program failed" >&2; exit 1; }

printf '%s\n' "$out" | grep -v '_ms '
awk -v frame="$frame" -v draw="$draw" 'BEGIN { printf "ratio %.2f\n", frame / draw }'
