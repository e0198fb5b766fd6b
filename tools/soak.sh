#!/usr/bin/env bash
# Plays the whole program at random on the replay camera for a long while, under AddressSanitizer
# and UBSan (tests/app/whole_program_soak_test.cpp), in build-asan/.
#   bash tools/soak.sh [SECONDS [SEED]]     600 seconds and a fresh seed by default
# The memory curve and the hit latencies stay in build-asan/test_tmp/whole_program_soak_test/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
bash "$root/tools/setup.sh"
build=$root/build-asan
cmake -S "$root" -B "$build" -DSKYT_SANITIZE=address -DSKYT_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target whole_program_soak_test skytapper_replay install_tools
# As ctest runs it (longer than its time limit allows): no leak check under the X server's GL.
export SKYT_SOURCE_DIR=$root SKYT_BUILD_DIR=$build SKYT_TEST_TMP=$build/test_tmp/whole_program_soak_test
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export SKYTAPPER_SOAK_SECONDS=${1:-600}
if [ -n "${2:-}" ]; then export SKYTAPPER_SOAK_SEED=$2; fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$build/tests/app/whole_program_soak_test"
