#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; safe to run again.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

packages=(
  cmake ninja-build make
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest
  wine wine64 wine32:i386
  # Wine's own fonts (Tahoma, MS Sans Serif): GDI+ takes its generic
  # sans-serif family from them when a face such as Arial is missing.
  fonts-wine
  xvfb xauth x11-utils
  python3-cryptography
  imagemagick libimage-exiftool-perl
  wixl dpkg-dev
)

need_install=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo_cmd dpkg --add-architecture i386
  need_install=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    need_install=1
  fi
done

# The pugixml binary package holds Linux libraries only; the source package is
# what we cross-compile.
src_list=/etc/apt/sources.list.d/quillory-src.sources
if [ ! -f "$src_list" ]; then
  $sudo_cmd tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_install=1
fi

if [ "$need_install" -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -q
  $sudo_cmd apt-get install -y -q --no-install-recommends "${packages[@]}"
fi

third="$root/third_party"
if ! ls -d "$third"/pugixml-*/src >/dev/null 2>&1; then
  mkdir -p "$third"
  if [ "$need_install" -eq 0 ]; then $sudo_cmd apt-get update -q; fi
  (cd "$third" && apt-get source -q --download-only pugixml >/dev/null && \
     dpkg-source -x --no-check ./pugixml_*.dsc >/dev/null && rm -f ./pugixml_*)
fi
ls -d "$third"/pugixml-*/src >/dev/null
