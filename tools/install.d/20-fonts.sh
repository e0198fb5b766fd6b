#!/usr/bin/env bash
# Fonts under the names the program asks for, copied from Debian's font packages:
#   Ubuntu-R.ttf, DroidSans.ttf       <- DejaVuSans.ttf          (fonts-dejavu-core)
#   DroidSans-Bold.ttf                <- DejaVuSans-Bold.ttf     (fonts-dejavu-core)
#   SourceHanSans-Normal.ttf          <- NotoSansCJK-Regular.ttc (fonts-noto-cjk; the program
#                                        reads face 0 of the collection, Noto Sans CJK JP)
# Usage: bash 20-fonts.sh ROOT DEST BUILD. Copies only what is missing or different.
set -euo pipefail
dest=$2
fonts="$dest/data/fonts"
mkdir -p "$fonts"

find_font() {
  local name=$1 dir
  for dir in /usr/share/fonts/truetype/dejavu /usr/share/fonts/opentype/noto /usr/share/fonts/truetype/noto; do
    if [ -f "$dir/$name" ]; then echo "$dir/$name"; return 0; fi
  done
  echo "20-fonts: $name not found; install fonts-dejavu-core and fonts-noto-cjk" >&2
  return 1
}

copy_font() {
  local src=$1 target="$fonts/$2"
  if [ -f "$target" ] && cmp -s "$src" "$target"; then return 0; fi
  install -m 644 "$src" "$target.part"
  mv -f "$target.part" "$target"
  echo "20-fonts: $2 from $src"
}

sans=$(find_font DejaVuSans.ttf)
bold=$(find_font DejaVuSans-Bold.ttf)
cjk=$(find_font NotoSansCJK-Regular.ttc)
copy_font "$sans" Ubuntu-R.ttf
copy_font "$sans" DroidSans.ttf
copy_font "$bold" DroidSans-Bold.ttf
copy_font "$cjk" SourceHanSans-Normal.ttf
