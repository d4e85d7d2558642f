#!/usr/bin/env bash
# Benchmark, not a test: AesCipher's CBC decryption of 64 MiB under Wine, with
# the processor's AES instructions and with the lookup tables, against
# OpenSSL's AES-256-CBC decryption in the same run, with its AES instructions
# and with AES-NI and SSSE3 turned off so that it uses its tables. The last
# line is "ratio R", our throughput over OpenSSL's, both with the
# instructions.
#   bench/aes-cbc.sh            (QUILLORY_BUILD_DIR chooses the build folder)
set -euo pipefail

source "$(dirname "$0")/common.sh"
bench_build aes_cbc_bench

ours_lines="$(wine "$dir/crypto/aes_cbc_bench.exe" 64 | tr -d '\r')"
ours() { printf '%s\n' "$ours_lines" | awk -v engine="$1" '$1 == "bytes_per_second" && $2 == engine {print $3}'; }
ours_instructions="$(ours instructions)"
ours_tables="$(ours tables)"
if [ -z "$ours_instructions" ] || [ -z "$ours_tables" ]; then
  printf '%s\n' "$ours_lines"
  echo "the benchmark program gave no figure for both engines" >&2
  exit 1
fi

# "+F:<n>:<cipher>:<bytes per second>" in OpenSSL's machine-readable output.
openssl_speed() {
  openssl speed -mr -evp aes-256-cbc -decrypt -bytes 65536 -seconds 3 2>/dev/null | awk -F: '/^\+F:/ {print $4}'
}
theirs_instructions="$(openssl_speed)"
theirs_tables="$(OPENSSL_ia32cap="~0x200020200000000" openssl_speed)"
[ -n "$theirs_instructions" ] && [ -n "$theirs_tables" ] || { echo "openssl speed gave no figure" >&2; exit 1; }

awk -v oi="$ours_instructions" -v ot="$ours_tables" -v ti="$theirs_instructions" -v tt="$theirs_tables" 'BEGIN {
  printf "AesCipher CBC decrypt, AES instructions (Wine, 64 MiB): %8.1f MB/s\n", oi / 1e6
  printf "AesCipher CBC decrypt, lookup tables (Wine, 64 MiB):    %8.1f MB/s\n", ot / 1e6
  printf "OpenSSL AES-256-CBC decrypt, AES-NI (64 KiB):           %8.1f MB/s\n", ti / 1e6
  printf "OpenSSL AES-256-CBC decrypt, tables (64 KiB):           %8.1f MB/s\n", tt / 1e6
  printf "ratio %.2f\n", oi / ti
}'
