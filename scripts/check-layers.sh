#!/usr/bin/env bash
# Checks every #include "…" of the sources, headers and resource scripts
# against the layer table of docs/layers.md: a file may include headers of its
# own folder and of folders in lower layers only. Prints each break as
#   file:line: includes X (layer n) from layer m
# and exits 1 when there is one.
#   scripts/check-layers.sh [TREE]     (TREE: the source tree, default this one)
# A file, and an included header, belongs to the longest folder of the table
# that holds it; files outside every table folder are not checked. A header
# is looked for beside the including file first, then from the tree's top (as
# the compiler's include path does), then as the one file of the tree whose
# path ends in the included name (folders added to the include path).
set -euo pipefail

tree="$(cd "${1:-$(dirname "$0")/..}" && pwd)"
table="$tree/docs/layers.md"
[ -f "$table" ] || { echo "check-layers: no layer table at $table" >&2; exit 2; }
cd "$tree"

files=()
while IFS= read -r -d '' f; do
  files+=("${f#./}")
done < <(find . \( -type d \( -name 'build*' -o -path ./third_party -o -path ./dist -o -path ./.git \) -prune \) \
              -o -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) -print0 | sort -z)
[ "${#files[@]}" -gt 0 ] || { echo "check-layers: no sources under $tree" >&2; exit 2; }

# Inputs: the table, the list of files (for finding headers), then the files.
printf '%s\n' "${files[@]}" | awk '
function trim(s) { gsub(/^[ \t`]+|[ \t`]+$/, "", s); return s }

# "a/./b/../c" to "a/c".
function normal(path,    parts, n, i, out, k) {
  n = split(path, parts, "/")
  k = 0
  for (i = 1; i <= n; i++) {
    if (parts[i] == "" || parts[i] == ".") continue
    if (parts[i] == ".." && k > 0) { k--; continue }
    out[++k] = parts[i]
  }
  path = ""
  for (i = 1; i <= k; i++) path = path (i > 1 ? "/" : "") out[i]
  return path
}

# The longest table folder that holds the path, or "".
function folder_of(path,    f, best) {
  best = ""
  for (f in layer)
    if (index(path, f "/") == 1 && length(f) > length(best)) best = f
  return best
}

function resolve(includer, name,    dir, p, f, found, count) {
  dir = includer
  sub(/\/?[^\/]*$/, "", dir)
  p = normal(dir == "" ? name : dir "/" name)
  if (p in known) return p
  p = normal(name)
  if (p in known) return p
  count = 0
  for (f in known)
    if (length(f) > length(p) && substr(f, length(f) - length(p)) == "/" p) { found = f; count++ }
  return count == 1 ? found : p
}

FILENAME == ARGV[1] {
  # Rows "| n | folder, folder | ... |".
  if ($0 ~ /^\|[ \t]*[0-9]+[ \t]*\|/) {
    split($0, cell, "|")
    n = split(cell[3], names, ",")
    for (i = 1; i <= n; i++) {
      name = trim(names[i])
      sub(/\/+$/, "", name)
      if (name != "") layer[name] = trim(cell[2]) + 0
    }
  }
  next
}
FILENAME == "-" { known[$0] = 1; next }

FNR == 1 { own = folder_of(FILENAME) }
own != "" && /^[ \t]*#[ \t]*include[ \t]*"[^"]+"/ {
  name = $0
  sub(/^[^"]*"/, "", name)
  sub(/".*$/, "", name)
  header = resolve(FILENAME, name)
  theirs = folder_of(header)
  if (theirs != "" && theirs != own && layer[theirs] >= layer[own]) {
    printf "%s:%d: includes %s (layer %d) from layer %d\n", FILENAME, FNR, header, layer[theirs], layer[own]
    broken = 1
  }
}
END {
  if (length(layer) == 0) { print "check-layers: no layer rows in the table" > "/dev/stderr"; exit 2 }
  exit broken ? 1 : 0
}
' "$table" - "${files[@]}"
