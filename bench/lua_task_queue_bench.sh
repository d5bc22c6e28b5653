#!/usr/bin/env bash
# Tasks per second through the queue and the tick under Wine: 8 producer
# threads beside 1 (the peer: the same queue without contention).
#   bench/lua_task_queue_bench.sh [--rounds R]
# Prints: case | ours | peer | ratio (median of R interleaved rounds, 3 by default).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
rounds=3
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
mkdir -p "$repo/build"
"$repo/scripts/build" --target lua_task_queue_bench >"$repo/build/bench-build.log" 2>&1 ||
  { cat "$repo/build/bench-build.log" >&2; exit 1; }
# shellcheck source=../scripts/wine-env
. "$repo/scripts/wine-env"
trap vemo_wine_down EXIT
vemo_wine_up "$repo/build/wine" >/dev/null

exe="$repo/build/bench/lua_task_queue_bench.exe"
field() { tr -d '\r' <<<"$2" | sed -n "s/.*$1=\([^ ]*\).*/\1/p" | tail -n 1; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
many=(); one=()
for _ in $(seq "$rounds"); do
  many+=("$(field per_second "$(wine "$exe" 8 250000)")")
  one+=("$(field per_second "$(wine "$exe" 1 250000)")")
done
m=$(printf '%s\n' "${many[@]}" | median); o=$(printf '%s\n' "${one[@]}" | median)
echo "tasks through the tick, 8 producers | ${m}/s | 1 producer ${o}/s | $(python3 -c "print('%.2fx' % ($m / $o))")"
