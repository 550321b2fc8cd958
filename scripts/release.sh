#!/usr/bin/env bash
# Builds the release package build/release/vellisk-<version>-win64.zip from a
# clean build: the stripped vellisk.exe, README.md with the pages and
# pictures it links to, and LICENSE.
#
# The same sources give the same bytes. The link writes no time stamp into
# the program (cmake/windows.cmake); the zip's entries come in a fixed order,
# all dated 1980-01-01 00:00, with mode 644 and no extra fields (-X), and
# without entries for folders (-D).
#
# The version is the program's own, the one its About box shows:
# ProgramVersion in src/shell/identity.cpp. The version record's numbers stay
# 0.0.0.0 and name no release, so they are not used.
#
# Usage: scripts/release.sh            -> prints the zip's path and sha256
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
release="$root/build/release"
cd "$root"
bash scripts/deps.sh

identity() { sed -n "s/.*IdentityStrings\.$1 = u\"\([^\"]*\)\";.*/\1/p" src/shell/identity.cpp; }
name=$(identity ProgramName)
version=$(identity ProgramVersion)
[ -n "$name" ] && [ -n "$version" ] || { echo "no program name or version in src/shell/identity.cpp" >&2; exit 1; }

rm -rf "$release"
cmake -S . -B "$release/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$release/win" -j"$(nproc)" --target vellisk >/dev/null
exe="$release/win/vellisk.exe"

# ---- the program: small, system DLLs only, stripped, no time stamp, and a
# version record that names the program as its About box does ----------------

bash scripts/check-exe.sh "$exe"
if ! x86_64-w64-mingw32-objdump -t "$exe" | grep -q 'no symbols'; then
  echo "vellisk.exe still has a symbol table" >&2
  exit 1
fi
# The COFF header follows the 4-byte "PE\0\0" at the offset held at 0x3c; its
# time stamp is the third field, 4 bytes at +8.
pe=$(od -An -t u4 -j 60 -N 4 "$exe" | tr -d ' ')
stamp=$(od -An -t u4 -j $((pe + 8)) -N 4 "$exe" | tr -d ' ')
[ "$stamp" = 0 ] || { echo "vellisk.exe has a link time stamp ($stamp)" >&2; exit 1; }
record() {
  x86_64-w64-mingw32-windres -i "$exe" -O rc | sed -n "s/^ *VALUE \"$1\", \"\(.*\)\"$/\1/p"
}
product=$(record ProductName)
original=$(record OriginalFilename)
if [ "$product" != "$name" ] || [ "$original" != "$name.exe" ]; then
  echo "the version record says ProductName \"$product\", OriginalFilename \"$original\";" >&2
  echo "the About box names the program \"$name\"" >&2
  exit 1
fi

# ---- what goes into the zip --------------------------------------------------

# The pages and pictures under docs/ that README.md links to, and those that
# the linked pages link to in turn.
linked_docs() {
  local todo=(README.md) seen=() page dir link
  while ((${#todo[@]})); do
    page="${todo[0]}"
    todo=("${todo[@]:1}")
    dir=$(dirname "$page")
    while read -r link; do
      [ -n "$link" ] || continue
      link=$(realpath -m --relative-to="$root" "$dir/$link")
      case "$link" in docs/*) ;; *) continue ;; esac
      [[ " ${seen[*]} " == *" $link "* ]] && continue
      [ -f "$link" ] || { echo "$page links to $link, which does not exist" >&2; return 1; }
      seen+=("$link")
      case "$link" in *.md) todo+=("$link") ;; esac
    done < <(grep -oE '\]\([^)#[:space:]]+|src="[^"#]+' "$page" | sed -E 's/^\]\(//; s/^src="//')
  done
  printf '%s\n' "${seen[@]}" | LC_ALL=C sort
}
mapfile -t docs < <(linked_docs)
files=(vellisk.exe README.md LICENSE "${docs[@]}")

# Copies the program and the files into a fresh <folder>.
stage() {
  local folder="$1" f
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$exe" "$folder/vellisk.exe"
  for f in "${files[@]:1}"; do
    mkdir -p "$folder/$(dirname "$f")"
    cp "$f" "$folder/$f"
  done
}

# Gives everything in <folder> the fixed date and mode and zips the files in
# the order of `files`. Usage: pack <folder> <zip>
pack() {
  local folder="$1" zip="$2"
  rm -f "$zip"
  find "$folder" -type d -exec chmod 755 {} +
  find "$folder" -type f -exec chmod 644 {} +
  # A zip holds local times: in UTC they are the same everywhere.
  find "$folder" -exec env TZ=UTC touch -h -d '1980-01-01 00:00:00' {} +
  (cd "$folder" && TZ=UTC zip -q -X -D -9 "$zip" "${files[@]}")
}

zip="$release/$name-$version-win64.zip"
stage "$release/stage"
pack "$release/stage" "$zip"

# The zip does not depend on the dates and modes the files had: packed again
# from copies readable only by their owner and dated an hour ahead, it is the
# same to the byte.
check="$release/check"
(umask 077 && stage "$check")
find "$check" -type f -exec touch -d '+1 hour' {} +
pack "$check" "$release/check.zip"
cmp "$zip" "$release/check.zip" || { echo "the same files packed twice gave two zips" >&2; exit 1; }
rm -rf "$check" "$release/check.zip"

unzip -Z "$zip"
sha256sum "$zip" | sed "s|$root/||"
