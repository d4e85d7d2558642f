#!/usr/bin/env bash
# Draws Quillory Setup's icon and dialog artwork with ImageMagick. The results
# are checked in beside this script; run it again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")/art"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# The icon: a picture frame over an open box, at size s.
icon_part() { # size output
  local s=$1 b=$(($1 / 8 > 1 ? $1 / 8 : 1))
  convert -size "${s}x${s}" xc:none \
    -fill '#8a5a2b' -draw "rectangle $((s / 8)),$((s / 2)) $((s - 1 - s / 8)),$((s - 1))" \
    -fill '#c99a2e' -draw "rectangle $((s / 5)),$((s / 10)) $((s - 1 - s / 5)),$((s * 7 / 10))" \
    -fill '#7ec3f0' -draw "rectangle $((s / 5 + b)),$((s / 10 + b)) $((s - 1 - s / 5 - b)),$((s * 7 / 10 - b))" \
    -fill '#3f9b4a' -draw "ellipse $((s / 2)),$((s * 7 / 10 - b)) $((s / 5)),$((s / 8)) 180,360" \
    -fill '#a86f36' -draw "rectangle $((s / 8)),$((s * 6 / 10)) $((s - 1 - s / 8)),$((s - 1))" \
    "$2"
}
parts=()
for s in 16 24 32 48; do
  icon_part "$s" "$tmp/setup-$s.png"
  parts+=("$tmp/setup-$s.png")
done
convert "${parts[@]}" setup.ico

# The dialog artwork: 600 x 540, sky to white, a framed landscape and the
# product name.
convert -size 600x540 gradient:'#dbeefa'-white \
  -fill '#c99a2e' -draw "roundrectangle 150,60 450,330 18,18" \
  -fill '#7ec3f0' -draw "rectangle 172,82 428,308" \
  -fill '#f7d54a' -draw "circle 360,140 388,140" \
  -fill '#3f9b4a' -draw "ellipse 260,308 110,80 180,360" \
  -fill '#2a4d69' -font DejaVu-Sans-Bold -pointsize 44 -gravity north -annotate +0+370 'Quillory' \
  -fill '#5b7890' -font DejaVu-Sans -pointsize 20 -annotate +0+430 'Slide shows of artworks and photographs' \
  -strip setup-artwork.png
