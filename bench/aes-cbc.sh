#!/usr/bin/env bash
# Benchmark, not a test: AesCipher's CBC decryption of 64 MiB under Wine
# against OpenSSL's software AES-256-CBC decryption in the same run, with
# AES-NI and SSSE3 turned off so that both sides use lookup tables. The last
# line is "ratio R", our throughput over OpenSSL's.
#   bench/aes-cbc.sh            (QUILLORY_BUILD_DIR chooses the build folder)
set -euo pipefail

source "$(dirname "$0")/common.sh"
bench_build aes_cbc_bench

ours_line="$(wine "$dir/crypto/aes_cbc_bench.exe" 64 | tr -d '\r')"
ours="$(printf '%s\n' "$ours_line" | awk '/^bytes_per_second/ {print $2}')"
[ -n "$ours" ] || { printf '%s\n' "$ours_line"; echo "the benchmark program failed" >&2; exit 1; }

# "+F:<n>:<cipher>:<bytes per second>" in OpenSSL's machine-readable output.
theirs="$(OPENSSL_ia32cap="~0x200020200000000" openssl speed -mr -evp aes-256-cbc -decrypt \
            -bytes 65536 -seconds 3 2>/dev/null | awk -F: '/^\+F:/ {print $4}')"
[ -n "$theirs" ] || { echo "openssl speed gave no figure" >&2; exit 1; }

awk -v ours="$ours" -v theirs="$theirs" 'BEGIN {
  printf "AesCipher CBC decrypt (Wine, 64 MiB):         %8.1f MB/s\n", ours / 1e6
  printf "OpenSSL AES-256-CBC decrypt (tables, 64 KiB): %8.1f MB/s\n", theirs / 1e6
  printf "ratio %.2f\n", ours / theirs
}'
