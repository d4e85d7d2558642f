#!/usr/bin/env bash
# Benchmark, not a test: the time of one cross-fade frame under Wine at
# 999 x 999 (the largest prepared slide) and 1920 x 1080, against one plain
# GDI+ draw of the same bitmap and one BitBlt of the same size in the same
# run. The last line is "ratio R", frame over plain GDI+ draw at 999 x 999;
# the goal is 1.0 or less. A frame runs every 10 ms.
#   bench/crossfade.sh            (QUILLORY_BUILD_DIR chooses the build folder)
set -euo pipefail

source "$(dirname "$0")/common.sh"
bench_build crossfade_bench

out="$(wine "$dir/slideshow/crossfade_bench.exe" 20 | tr -d '\r')"
frame="$(printf '%s\n' "$out" | awk '/^frame_ms_999x999/ {print $2}')"
draw="$(printf '%s\n' "$out" | awk '/^draw_ms_999x999/ {print $2}')"
[ -n "$frame" ] && [ -n "$draw" ] || { printf '%s\n' "$out"; echo "the benchmark program failed" >&2; exit 1; }

printf '%s\n' "$out" | grep -v '_ms_'
awk -v frame="$frame" -v draw="$draw" 'BEGIN { printf "ratio %.2f\n", frame / draw }'
