#!/usr/bin/env bash
# Prepares an installation folder: bash tools/install.sh DEST BUILD_DIR
# Runs every step in tools/install.d/ in order; each step keeps what is already there and
# up to date, and never replaces the user's settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest=$1
build=$2
mkdir -p "$dest"
for step in "$root"/tools/install.d/*.sh; do
  [ -e "$step" ] || continue
  bash "$step" "$root" "$(cd "$dest" && pwd)" "$build"
done
