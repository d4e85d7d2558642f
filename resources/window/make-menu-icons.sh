#!/usr/bin/env bash
# Draws the small icons of the tray menu's entries with ImageMagick: a
# rounded tile in the entry's own colour with a white mark (a dot, a bar, an
# arrow or a ring), at 16 and 32 pixels. The results are checked in beside
# this script (art/menu/); run it again only to change them.
set -euo pipefail
cd "$(dirname "$0")/art"
mkdir -p menu
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

tile() { # id size output
  local id=$1 s=$2 out=$3
  local hue=$(((id * 47) % 360)) m=$((s / 8)) c=$((s / 2)) r=$((s / 5))
  local colour="hsl($hue,60%,42%)"
  local mark
  case $((id % 4)) in
    0) mark="-draw \"circle $c,$c $((c + r)),$c\"" ;;
    1) mark="-draw \"rectangle $((s / 4)),$((c - s / 10)) $((s * 3 / 4)),$((c + s / 10))\"" ;;
    2) mark="-draw \"polygon $((s / 3)),$((s / 4)) $((s * 3 / 4)),$c $((s / 3)),$((s * 3 / 4))\"" ;;
    3) mark="-stroke white -strokewidth $((s / 10 > 0 ? s / 10 : 1)) -fill none -draw \"circle $c,$c $((c + r + 1)),$c\"" ;;
  esac
  eval convert -size "${s}x${s}" xc:none -fill "'$colour'" \
    -draw "'roundrectangle $m,$m $((s - 1 - m)),$((s - 1 - m)) $((s / 5)),$((s / 5))'" -fill white $mark "$out"
}

for id in 101 102 108 111 112 113 114 115 116 117 128 129 130 153 154 155 156 157 158 159 160 161 162 163 \
          166 167 168 169 170 171 172 174 175 176 179 180 182 183 184 185 186 187 188 189 190 191 192 193; do
  tile "$id" 16 "$tmp/$id-16.png"
  tile "$id" 32 "$tmp/$id-32.png"
  convert "$tmp/$id-16.png" "$tmp/$id-32.png" "menu/$id.ico"
done
