#!/usr/bin/env bash
# Builds Skytapper, prepares the installation folder install/ (conf/ and data/) and starts
# the program in it. Extra arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
build=$root/build
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target skytapper install_tools
bash "$root/tools/install.sh" "$root/install" "$build"
cd "$root/install"
exec "$build/skytapper" "$@"
