#!/usr/bin/env bash
# Fonts under the names the program asks for, copied from Debian's font packages:
#   Ubuntu-R.ttf, DroidSans.ttf       <- OpenSans-Regular.ttf    (fonts-open-sans)
#   DroidSans-Bold.ttf                <- OpenSans-Bold.ttf       (fonts-open-sans)
#   SourceHanSans-Normal.ttf          <- NotoSansCJK-Regular.ttc (fonts-noto-cjk; the program
#                                        reads face 0 of the collection, Noto Sans CJK JP)
# Open Sans covers every code point the Latin, Turkish and Russian glyph lists ask for. Where
# it is not installed, DejaVu Sans (fonts-dejavu-core, wider: labels are cut more often) takes
# its place with a warning.
# Usage: bash 20-fonts.sh ROOT DEST BUILD. Copies only what is missing or different.
set -euo pipefail
dest=$2
fonts="$dest/data/fonts"
mkdir -p "$fonts"
dirs="/usr/share/fonts/truetype/open-sans /usr/share/fonts/truetype/dejavu /usr/share/fonts/opentype/noto /usr/share/fonts/truetype/noto"

find_font() {
  local name dir
  for name in "$@"; do
    for dir in $dirs; do
      if [ -f "$dir/$name" ]; then echo "$dir/$name"; return 0; fi
    done
  done
  echo "20-fonts: none of $* found; install fonts-open-sans, fonts-dejavu-core and fonts-noto-cjk" >&2
  return 1
}

copy_font() {
  local src=$1 target="$fonts/$2"
  if [ -f "$target" ] && cmp -s "$src" "$target"; then return 0; fi
  install -m 644 "$src" "$target.part"
  mv -f "$target.part" "$target"
  echo "20-fonts: $2 from $src"
}

sans=$(find_font OpenSans-Regular.ttf DejaVuSans.ttf)
bold=$(find_font OpenSans-Bold.ttf DejaVuSans-Bold.ttf)
cjk=$(find_font NotoSansCJK-Regular.ttc)
case $sans in
  */DejaVuSans.ttf) echo "20-fonts: Warning: Open Sans not installed (fonts-open-sans); DejaVu Sans used, labels may be cut" >&2 ;;
esac
copy_font "$sans" Ubuntu-R.ttf
copy_font "$sans" DroidSans.ttf
copy_font "$bold" DroidSans-Bold.ttf
copy_font "$cjk" SourceHanSans-Normal.ttf
