#!/usr/bin/env bash
# Writes a PNG of every mouse screen and every in-air page (the wizard's stages among them) in
# all eleven languages, as <folder>/<language>/<screen>.png, the in-air pages as
# <folder>/<language>/<size>/<page>.png (full screen at 1280x1024 in every language, one
# language each in the 960x720 window and full screen at 1920x1080):
#   bash tools/gallery.sh [FOLDER]        build/gallery/ by default
# The pictures come from the layout tests (tests/screens/screen_fit_test.cpp and
# tests/airmenu/page_fit_test.cpp): the screens drawn by their own functions over the window's
# background, the in-air pages through the program's display callback on the fake camera in a
# window that follows the program's full-screen switch, all offscreen (OSMesa) with the
# installed fonts, so no X server is needed. The tests' verdict on
# the layouts is printed with them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
bash "$root/tools/setup.sh"
build=$root/build
out=$(realpath -m "${1:-$build/gallery}")
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target screen_fit_test page_fit_test
rm -rf "$out"
mkdir -p "$out"
status=0
SKYTAPPER_GALLERY=$out ctest --test-dir "$build" -R '^(screen_fit_test|page_fit_test)$' --output-on-failure || status=$?
echo "gallery: $(find "$out" -name '*.png' | wc -l) pictures in $out"
exit $status
