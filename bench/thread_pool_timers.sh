#!/usr/bin/env bash
# Prints the memory and time that 100,000 fired one-shot timers cost on the
# SDK pool (under Wine).
#   bench/thread_pool_timers.sh [--build-dir DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build_dir="$repo/build"
if [ "${1:-}" = --build-dir ]; then build_dir=$2; shift 2; fi
build_dir=$(mkdir -p "$build_dir" && cd "$build_dir" && pwd)

"$repo/scripts/build" --build-dir "$build_dir" --target thread_pool_timers
# shellcheck source=../scripts/wine-env
. "$repo/scripts/wine-env"
trap vemo_wine_down EXIT
vemo_wine_up "$build_dir/wine"
wine "$build_dir/bench/thread_pool_timers.exe"
