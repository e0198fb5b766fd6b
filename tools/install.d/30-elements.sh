#!/usr/bin/env bash
# The drum elements the preset kits name, converted with the program's own element converter
# (BUILD/tools/cmd/convert_element) from Debian's free sample kits into DEST/data/elements/.
# Every sample goes through sox first: 16-bit at 44100 Hz, pitched by the manifest's speed, and
# faded out over its last 20 ms when it ends above the noise floor (a recording cut short
# clicks at the end of every hit).
# Elements newer than the manifest, this script and the converter are kept.
# Usage: bash 30-elements.sh ROOT DEST BUILD
set -euo pipefail
root=$1
dest=$2
build=$3
manifest="$root/tools/elements/manifest.txt"
converter="$build/tools/cmd/convert_element"
kits=${SKYT_SAMPLE_KITS:-/usr/share/hydrogen/data/drumkits}
out_dir="$dest/data/elements"
self="${BASH_SOURCE[0]}"

if [ ! -x "$converter" ]; then
  echo "30-elements: $converter is missing; build the install_tools target first" >&2
  exit 1
fi
command -v sox > /dev/null || { echo "30-elements: sox is missing (tools/setup.sh)" >&2; exit 1; }
mkdir -p "$out_dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Peak of the last 5 ms below -60 dBFS counts as silence; only louder ends are faded.
noise_floor_db=-60
ends_loud() {
  local peak
  peak=$(sox "$1" -n trim -0.005 stats 2>&1 | awk '/^Pk lev dB/ { print $4 }')
  [ "$peak" != -inf ] && awk -v p="$peak" -v f="$noise_floor_db" 'BEGIN { exit !(p > f) }'
}

trim() { local s=$1; s=${s#"${s%%[![:space:]]*}"}; s=${s%"${s##*[![:space:]]}"}; printf '%s' "$s"; }

built=0
kept=0
while IFS='|' read -r name type category speed sources; do
  name=$(trim "$name")
  [ -z "$name" ] && continue
  case $name in \#*) continue ;; esac
  type=$(trim "$type"); category=$(trim "$category"); speed=$(trim "$speed")
  out="$out_dir/$name.ele"
  if [ -f "$out" ] && [ "$out" -nt "$manifest" ] && [ "$out" -nt "$self" ] && [ "$out" -nt "$converter" ]; then
    kept=$((kept + 1))
    continue
  fi
  folder="$work/$built"
  mkdir -p "$folder"
  count=0
  for entry in $(trim "$sources"); do
    sub=.
    case $entry in *=*) sub=${entry%%=*}; entry=${entry#*=} ;; esac
    kit=${entry%%:*}
    pattern=${entry#*:}
    mkdir -p "$folder/$sub"
    files=()
    for f in "$kits/$kit"/$pattern.wav "$kits/$kit"/$pattern.flac; do
      [ -f "$f" ] && files+=("$f")
    done
    if [ ${#files[@]} -eq 0 ]; then
      echo "30-elements: no samples match $kits/$kit/$pattern.wav or .flac for \"$name\" (install hydrogen-data and hydrogen-drumkits)" >&2
      exit 1
    fi
    for f in "${files[@]}"; do
      effects=()
      ends_loud "$f" && effects=(fade h 0 -0 0.02)
      # Pitching up overshoots a little: the same 1.5 dB less for every layer keeps their
      # relative levels.
      [ "$speed" != 1 ] && effects+=(gain -1.5 speed "$speed")
      # No dither: the same samples give the same element on every machine. -G lowers a file
      # that resampling would clip just enough to fit.
      base=$(basename "$f")
      sox -D -G "$f" -b 16 "$folder/$sub/${base%.*}.wav" "${effects[@]}" rate -v 44100
      count=$((count + 1))
    done
  done
  "$converter" "$out.part.ele" "$folder" "$type" "$category" 2> /dev/null
  mv -f "$out.part.ele" "$out"
  rm -rf "$folder"
  echo "30-elements: $name ($count samples)"
  built=$((built + 1))
done < "$manifest"
echo "30-elements: $built built, $kept up to date in $out_dir"
