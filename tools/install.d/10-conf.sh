#!/usr/bin/env bash
# The installation's folders and the shipped settings file. The user's settings are never
# replaced: the file is copied only when the installation has none.
#   bash 10-conf.sh ROOT DEST BUILD
set -euo pipefail
root=$1
dest=$2
mkdir -p "$dest/conf/drumkits" "$dest/conf/midi-maps" "$dest/recordings" \
         "$dest/data/elements" "$dest/data/images" "$dest/data/sounds" "$dest/data/fonts"
if [ ! -e "$dest/conf/skytapper.cfg" ]; then
  cp "$root/assets/conf/skytapper.cfg" "$dest/conf/skytapper.cfg.tmp"
  mv "$dest/conf/skytapper.cfg.tmp" "$dest/conf/skytapper.cfg"
fi
