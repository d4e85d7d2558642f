#!/usr/bin/env bash
# Benchmark, not a test: the stand-in serves one 5 MB picture; one run
# measures the online slide from asking to the decoded picture (exchange,
# request and download, decryption with its key derivation, AES passes and
# RSA layer apart, reply checks, decoding) as a slide after another, whose
# worker made the RSA key pairs ahead, and a plain WinINet GET of as many
# bytes from the same stand-in, with the floor of plain GET and decoding.
# The last line is "ratio R", slide over plain GET.
#   bench/online-slide.sh       (QUILLORY_BUILD_DIR chooses the build folder)
set -euo pipefail

source "$(dirname "$0")/common.sh"
bench_build online_slide_bench
# The stand-in's ports are this run's alone where the machine allows it.
enter_private_network "$0" "$@"

gallery="$build/bench-gallery"
state="$build/bench-standin"
mkdir -p "$gallery"
# A 5 MB picture: a 24-bit BMP of 1296 x 1350 pixels of noise.
python3 - "$gallery/slide.bmp" <<'PY'
import os, struct, sys
w, h = 1296, 1350
row = w * 3
pixels = os.urandom(row * h)
header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(header + info + pixels)
PY
"$root/standins/server/run.sh" start --state-dir "$state" -- --set "gallery=$gallery" --set kind=picture >/dev/null
trap '"$root/standins/server/run.sh" stop --state-dir "$state"; stop_wine' EXIT
(cd "$dir/server" && wine "$dir/server/online_slide_bench.exe" | tr -d '\r')
