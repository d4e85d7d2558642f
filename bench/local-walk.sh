#!/usr/bin/env bash
# Benchmark, not a test: one whole loop of the local walk over one folder of
# 10,000 picture files (empty files with picture extensions), each step a
# choice and its record as shown, against a bare FindFirstFileW/FindNextFileW
# enumeration of the same folder in the same run. The walk enumerates the
# folder at every choice by design, so the bare enumeration is its floor; its
# own bookkeeping must not grow with the loop. The last line is "ratio R",
# choice over enumeration.
#   bench/local-walk.sh [files]   (QUILLORY_BUILD_DIR chooses the build folder)
set -euo pipefail

source "$(dirname "$0")/common.sh"
bench_build local_walk_bench

out="$(wine "$dir/slideshow/local_walk_bench.exe" "${1:-10000}" | tr -d '\r')"
choice="$(printf '%s\n' "$out" | awk '/^choice_ms/ {print $2}')"
enumeration="$(printf '%s\n' "$out" | awk '/^enumeration_ms/ {print $2}')"
[ -n "$choice" ] && [ -n "$enumeration" ] || { printf '%s\n' "$out"; echo "the benchmark program failed" >&2; exit 1; }

printf '%s\n' "$out" | grep -v '_ms '
awk -v c="$choice" -v e="$enumeration" 'BEGIN { printf "ratio %.2f\n", c / e }'
