#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and unpacks the
# pugixml sources into third_party/; safe to run again. Ends with a message
# naming what is missing when something cannot be installed.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

fail() {
  echo "install-deps: $*" >&2
  exit 1
}

# Working copies set up at the same time take turns: apt and dpkg hold their
# locks without waiting, so a second apt-get beside the first would fail.
exec 9>"${TMPDIR:-/tmp}/quillory-install-deps.lock"
flock 9

packages=(
  cmake ninja-build make
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest
  wine wine64 wine32:i386
  # Wine's own fonts (Tahoma, MS Sans Serif): GDI+ takes its generic
  # sans-serif family from them when a face such as Arial is missing.
  fonts-wine
  # DejaVu Sans stands in for the dialog faces that hold the filter's
  # operators (scripts/wine-env.sh, map_dialog_faces).
  fonts-dejavu-core
  # xwininfo (x11-utils) tells `quillory.sh run` when the main window is up.
  xvfb x11-utils
  python3-cryptography
  imagemagick libimage-exiftool-perl
  wixl
  # dpkg-source unpacks the pugixml source package.
  dpkg-dev
)

is_installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }

apt_update() {
  $sudo_cmd apt-get update -q || fail "apt-get update failed; check the network and the entries in /etc/apt/sources.list.d/"
}

need_install=0
if ! grep -qx i386 <<<"$(dpkg --print-foreign-architectures)"; then
  $sudo_cmd dpkg --add-architecture i386 || fail "cannot add the i386 architecture that wine32 needs"
  need_install=1
fi
for p in "${packages[@]}"; do
  is_installed "$p" || need_install=1
done

# The pugixml binary package holds Linux libraries only; the source package is
# what we cross-compile. Its deb-src entry names this machine's Debian suite.
codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
[ -n "$codename" ] || fail "/etc/os-release gives no VERSION_CODENAME: cannot tell which Debian suite to take the pugixml sources from"
src_list=/etc/apt/sources.list.d/quillory-src.sources
if ! grep -qx "Suites: $codename" "$src_list" 2>/dev/null; then
  $sudo_cmd tee "$src_list" >/dev/null <<SRC || fail "cannot write $src_list"
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_install=1
fi

updated=0
if [ "$need_install" -eq 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  updated=1
  $sudo_cmd apt-get install -y -q --no-install-recommends "${packages[@]}" ||
    fail "apt-get install failed for some of: ${packages[*]}"
fi
for p in "${packages[@]}"; do
  is_installed "$p" || fail "package $p is still not installed"
done

# Build steps run Debian's own Python 3 (QUILLORY_PYTHON) with python3-cryptography.
/usr/bin/python3 -c 'import cryptography' 2>/dev/null ||
  fail "/usr/bin/python3 cannot import cryptography (python3-cryptography); the protected texts cannot be built"

third="$root/third_party"
if ! ls -d "$third"/pugixml-*/src >/dev/null 2>&1; then
  mkdir -p "$third"
  [ "$updated" -eq 1 ] || apt_update
  if ! (cd "$third" && apt-get source -q --download-only pugixml >/dev/null &&
          dpkg-source -x --no-check ./pugixml_*.dsc >/dev/null); then
    rm -f "$third"/pugixml_*
    fail "cannot fetch or unpack the pugixml source package (deb-src entry: $src_list, suite $codename)"
  fi
  rm -f "$third"/pugixml_*
fi
ls -d "$third"/pugixml-*/src >/dev/null 2>&1 || fail "no pugixml sources in $third after unpacking"
