#!/usr/bin/env bash
# Draws the program's icons and card artwork with ImageMagick. The results are
# checked in beside this script; run it again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")/art"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# A picture frame: gold border, sky, sun and a green hill, at size s.
frame() { # size tint output
  local s=$1 tint=$2 out=$3
  local b=$((s / 8 > 1 ? s / 8 : 1)) r=$((s / 6))
  convert -size "${s}x${s}" xc:none \
    -fill '#c99a2e' -draw "roundrectangle 0,$((s / 10)) $((s - 1)),$((s - 1 - s / 10)) $r,$r" \
    -fill '#7ec3f0' -draw "rectangle $b,$((s / 10 + b)) $((s - 1 - b)),$((s - 1 - s / 10 - b))" \
    -fill '#f7d54a' -draw "circle $((s * 2 / 3)),$((s * 4 / 10)) $((s * 2 / 3 + s / 10)),$((s * 4 / 10))" \
    -fill '#3f9b4a' -draw "ellipse $((s * 3 / 8)),$((s - 1 - s / 10 - b)) $((s / 2)),$((s / 4)) 180,360" \
    "$tmp/base.png"
  case "$tint" in
    normal) cp "$tmp/base.png" "$out" ;;
    grey) convert "$tmp/base.png" -colorspace Gray -colorspace sRGB "$out" ;;
    dim) convert "$tmp/base.png" -channel A -evaluate multiply 0.45 +channel "$out" ;;
  esac
}

# The new-release badge: a red dot with a white rim in the top-right corner.
badge() { # input size output
  local s=$2 d=$(($2 * 3 / 8))
  convert "$1" -fill '#d7261e' -stroke white -strokewidth $((s / 16 > 0 ? s / 16 : 1)) \
    -draw "circle $((s - 1 - d / 2)),$((d / 2)) $((s - 1)),$((d / 2))" "$3"
}

icon() { # name tint with-badge
  local parts=()
  for s in 16 24 32 48; do
    frame "$s" "$2" "$tmp/$1-$s.png"
    if [ "$3" = yes ]; then badge "$tmp/$1-$s.png" "$s" "$tmp/$1-$s.png"; fi
    parts+=("$tmp/$1-$s.png")
  done
  convert "${parts[@]}" "$1.ico"
}

icon program normal no        # 100: the program, main window shown
icon shown-release normal yes # 126
icon busy grey no             # 124: start-up, paused, closing
icon busy-release grey yes    # 127
icon hidden dim no            # 177: main window hidden
icon hidden-release dim yes   # 178

# The document cards carry the file's title in their top left (from (15, 15),
# two lines of 30-point text): their page sits small in the lower part, so
# that the title never crosses its outline.
lower_page() { # output
  convert "$tmp/page.png" -resize 62% -background none -gravity northwest -extent 256x256-48-104 "$1"
}

# Card artwork: the text card (a page of lines and a pen) and the media card
# (a film strip with a play button), 256 x 256 on transparency.
convert -size 256x256 xc:none \
  -fill white -stroke '#8a8a8a' -strokewidth 3 -draw "roundrectangle 48,24 200,232 10,10" \
  -stroke '#5a6b85' -strokewidth 6 \
  -draw "line 72,70 176,70" -draw "line 72,100 176,100" -draw "line 72,130 176,130" -draw "line 72,160 140,160" \
  -stroke '#2d2d2d' -strokewidth 10 -draw "line 150,210 222,128" \
  -stroke '#e0b341' -strokewidth 10 -draw "line 222,128 234,114" \
  "$tmp/page.png"
lower_page text-card.png
convert -size 256x256 xc:none \
  -fill '#303030' -draw "roundrectangle 16,56 240,200 12,12" \
  -fill '#e8e8e8' -draw "rectangle 28,66 44,80" -draw "rectangle 28,176 44,190" \
  -draw "rectangle 212,66 228,80" -draw "rectangle 212,176 228,190" \
  -draw "rectangle 28,100 44,114" -draw "rectangle 28,142 44,156" \
  -draw "rectangle 212,100 228,114" -draw "rectangle 212,142 228,156" \
  -fill '#4aa35a' -draw "circle 128,128 128,72" \
  -fill white -draw "polygon 110,98 110,158 162,128" \
  media-card.png
# The web-document card: a page with a globe and a chain link.
convert -size 256x256 xc:none \
  -fill white -stroke '#8a8a8a' -strokewidth 3 -draw "roundrectangle 48,24 200,232 10,10" \
  -fill '#3a86c8' -stroke '#1d4f7a' -strokewidth 4 -draw "circle 124,110 124,54" \
  -fill none -stroke '#e8f1fa' -strokewidth 4 -draw "ellipse 124,110 24,56 0,360" \
  -draw "line 68,110 180,110" -draw "line 76,80 172,80" -draw "line 76,140 172,140" \
  -stroke '#555555' -strokewidth 8 -draw "roundrectangle 84,184 132,212 12,12" \
  -draw "roundrectangle 118,184 166,212 12,12" \
  "$tmp/page.png"
lower_page web-card.png
# Status cards: the card base (560 x 420, a blue-green gradient in a gold
# frame with two light curves) and the art of the status card (a picture
# with a red exclamation mark, 64 x 64). 96 DPI, so that point sizes of the
# card texts come out as on the screen.
convert -size 560x420 -define gradient:angle=135 gradient:'#1d3557-#2a7f7a' \
  -fill none -stroke '#c99a2e' -strokewidth 2 -draw "roundrectangle 3,3 556,416 10,10" \
  -stroke '#e9c46a' -strokewidth 1 -draw "bezier 20,250 180,150 360,300 540,170" \
  -stroke '#8ecae6' -draw "bezier 20,270 200,180 360,320 540,195" \
  -depth 8 -define png:color-type=2 -units PixelsPerInch -density 96 card-base.png
convert -size 64x64 xc:none \
  -fill '#c99a2e' -draw "roundrectangle 2,6 61,57 6,6" \
  -fill '#e8eef5' -draw "rectangle 8,12 55,51" \
  -fill '#9fb3c8' -draw "polygon 8,51 24,30 36,44 44,36 55,51" \
  -fill '#d7261e' -stroke white -strokewidth 2 -draw "circle 48,16 48,3" \
  -fill white -stroke none -draw "rectangle 46,8 50,18" -draw "rectangle 46,21 50,25" \
  -depth 8 -units PixelsPerInch -density 96 status-art.png
optipng -quiet ./*.png 2>/dev/null || true

# The about box's logo: the program's picture frame, large.
frame 160 normal "$tmp/logo.png"
convert "$tmp/logo.png" -depth 8 -units PixelsPerInch -density 96 logo.png

# The gallery dialog (art/gallery/): the menu and button icons it does not
# share with the tray menu (a glyph on a rounded square at 16 and 32 pixels),
# the thumbnail fall-backs (a page, a
# folder, a broken picture) and the drag cursors (an arrow with a move, copy
# or no-drop mark; written as .ico, then marked as cursors with hot spot 0,0).
mkdir -p gallery
glyph() { # name colour text
  for s in 16 32; do
    convert -size ${s}x${s} xc:none -fill "$2" -draw "roundrectangle 0,0 $((s-1)),$((s-1)) $((s/5)),$((s/5))" \
      -fill white -font DejaVu-Sans-Bold -pointsize $((s*11/16)) -gravity center -annotate +0+0 "$3" "$tmp/$1-$s.png"
  done
  convert "$tmp/$1-16.png" "$tmp/$1-32.png" "gallery/$1.ico"
}
glyph add-files '#2e7d32' '+'; glyph remove '#c62828' '−'; glyph copy '#1565c0' 'C'; glyph paste '#1565c0' 'V'
glyph open '#6a1b9a' 'O'; glyph select '#455a64' 'A'; glyph refresh '#00838f' '↻'
glyph rename '#455a64' 'R'; glyph add-folder '#ef6c00' '+'; glyph explorer '#f9a825' 'X'; glyph play '#2e7d32' '▶'
convert -size 256x256 xc:none -fill white -stroke '#7a7a7a' -strokewidth 6 \
  -draw "polygon 56,16 168,16 208,56 208,240 56,240" -draw "polyline 168,16 168,56 208,56" gallery/file.png
convert -size 256x256 xc:none -fill '#f2c14e' -stroke '#b8860b' -strokewidth 6 \
  -draw "roundrectangle 16,56 240,224 12,12" -draw "roundrectangle 16,40 112,72 8,8" gallery/folder.png
convert -size 256x256 xc:none -fill '#eeeeee' -stroke '#9e9e9e' -strokewidth 6 -draw "rectangle 24,40 232,216" \
  -stroke '#d32f2f' -strokewidth 18 -draw "line 64,80 192,176" -draw "line 192,80 64,176" gallery/failure.png
arrow="polygon 0,0 0,20 5,15 9,24 12,23 8,14 15,14"
convert -size 32x32 xc:none -fill black -stroke white -draw "$arrow" -stroke none -fill '#1565c0' \
  -draw "rectangle 18,20 30,30" "$tmp/drag-move.png"
convert -size 32x32 xc:none -fill black -stroke white -draw "$arrow" -stroke none -fill '#2e7d32' \
  -draw "rectangle 18,20 30,30" -fill white -draw "rectangle 23,21 25,29" -draw "rectangle 19,24 29,26" \
  "$tmp/drag-copy.png"
convert -size 32x32 xc:none -fill black -stroke white -draw "$arrow" -fill none -stroke '#c62828' \
  -strokewidth 3 -draw "circle 24,25 24,18" -draw "line 19,20 29,30" "$tmp/drag-none.png"
for c in drag-move drag-copy drag-none; do
  convert "$tmp/$c.png" "$tmp/$c.ico"
  python3 -c "
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[2:4] = struct.pack('<H', 2)
data[10:14] = struct.pack('<HH', 0, 0)
open(sys.argv[2], 'wb').write(data)" "$tmp/$c.ico" "gallery/$c.cur"
done
# The badge beside an overlay advert's marker text in the photo viewer: a
# violet disc with a white star.
convert -size 48x48 xc:none -fill '#5e3a72' -draw "circle 24,24 24,2" -fill white \
  -draw "polygon 24,9 28,20 40,20 30,27 34,39 24,32 14,39 18,27 8,20 20,20" -strip advert-badge.png
