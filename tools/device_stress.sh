#!/usr/bin/env bash
# Changes the audio device again and again on a busy machine (bench/device_change_stress.cpp):
# its own JACK dummy server, load threads on every core, worker processes watched for aborts
# and hangs. Not run by CI.
#   bash tools/device_stress.sh [CHANGES [PER_WORKER [LANES [LOAD_THREADS [HANG_SECONDS]]]]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
bash "$root/tools/setup.sh"
cmake -S "$root" -B "$root/build" -DSKYT_BENCH=ON >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target device_change_stress
exec "$root/build/bench/device_change_stress" "$@"
