#!/usr/bin/env bash
# Benchmark, not a test: the gallery scan adds the files of one folder of
# 2,000 small pictures (made by the program) and is timed until its end
# message, every record received; in the same run each picture is decoded
# once with GDI+ and nothing else. The thumbnails are the scan's real work;
# the last line is "ratio R", scan over bare decode.
#   bench/gallery-scan.sh [files]   (QUILLORY_BUILD_DIR chooses the build folder)
set -euo pipefail

source "$(dirname "$0")/common.sh"
bench_build gallery_scan_bench

module="$(winepath -w "$dir/resources/languages/Resources EN US.dll")"
out="$(wine "$dir/galleries/gallery_scan_bench.exe" "${1:-2000}" "$module" | tr -d '\r')"
scan="$(printf '%s\n' "$out" | awk '/^scan_ms/ {print $2}')"
decode="$(printf '%s\n' "$out" | awk '/^decode_ms/ {print $2}')"
[ -n "$scan" ] && [ -n "$decode" ] || { printf '%s\n' "$out"; echo "the benchmark program failed" >&2; exit 1; }

printf '%s\n' "$out"
awk -v s="$scan" -v d="$decode" 'BEGIN { printf "ratio %.2f\n", s / d }'
