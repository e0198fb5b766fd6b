#!/usr/bin/env bash
# Builds Skytapper and runs every test.
#   bash tools/test.sh                      the normal build in build/
#   bash tools/test.sh --sanitize address   AddressSanitizer + UBSan build in build-asan/
#   bash tools/test.sh --sanitize thread    ThreadSanitizer build in build-tsan/, threaded tests only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Paths under the checkout are hashed relative to it, so another clone reuses the compiler cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
bash "$root/tools/setup.sh"
sanitize=""
if [ "${1:-}" = "--sanitize" ]; then sanitize=$2; fi
case "$sanitize" in
  "") build=$root/build; label="" ;;
  address) build=$root/build-asan; label="" ;;
  thread) build=$root/build-tsan; label="threads" ;;
  *) echo "unknown sanitizer: $sanitize" >&2; exit 2 ;;
esac
jobs=$(nproc)
cmake -S "$root" -B "$build" -DSKYT_SANITIZE="$sanitize" -DSKYT_BENCH=$([ -z "$sanitize" ] && echo ON || echo OFF) >/dev/null
cmake --build "$build" -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
cd "$build"
if [ -n "$label" ]; then
  ctest -j "$jobs" --output-on-failure --no-tests=error -L "$label"
else
  ctest -j "$jobs" --output-on-failure --no-tests=error
fi
