#!/usr/bin/env bash
# The file log under load: records per second through the log facade from
# several threads while the writer thread compresses them (level 9, blocks of
# 5,120 bytes), the calling thread's time per record, and records lost, next
# to native `gzip -9` compressing the same records in one go.
#   bench/log_bench.sh [--records N] [--threads T] [--runs R]
# Defaults: 100,000 records from 4 threads, best of 3 runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
records=100000
threads=4
runs=3
while [ $# -gt 0 ]; do
  case $1 in
    --records) records=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

"$repo/scripts/build" >"$repo/build/bench-build.log" 2>&1 || { cat "$repo/build/bench-build.log" >&2; exit 1; }
bench_exe="$repo/build/bench/log_bench.exe"
reader_exe="$repo/build/bin/log_reader.exe"
logs="$repo/build/bench/vemo/vemosdklogv1"
work="$repo/build/bench-work/log"
mkdir -p "$work"

# shellcheck source=../scripts/wine-env
. "$repo/scripts/wine-env"
trap vemo_wine_down EXIT
vemo_wine_up "$repo/build/wine" >/dev/null

win() { echo "Z:${1//\//\\}"; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }
best() { sort -g | head -n 1; }

written=(); calls=(); call_us=(); lost_total=0; decoded=0
for _ in $(seq "$runs"); do
  rm -rf "$logs"
  out=$(wine "$bench_exe" "$records" "$threads")
  written+=("$(field seconds_written "$out")"); calls+=("$(field seconds_calls "$out")")
  call_us+=("$(field call_us "$out")")
  lost_total=$((lost_total + $(field lost "$out")))
  : >"$work/records.txt"
  for file in $(ls "$logs"); do
    wine "$reader_exe" "$(win "$logs/$file")" --raw >>"$work/records.txt" 2>>"$work/reader.txt"
  done
  decoded=$(grep -c '"e":' "$work/records.txt" || true)
done
compressed=$(cat "$logs"/* | wc -c)
raw=$(wc -c <"$work/records.txt")

# The native peer: gzip -9 over the same records, as one stream.
native=()
for _ in $(seq "$runs"); do
  t0=$(date +%s.%N); gzip -9 -c "$work/records.txt" >"$work/records.gz"; t1=$(date +%s.%N)
  native+=("$(python3 -c "print($t1 - $t0)")")
done
gz=$(wc -c <"$work/records.gz")

s=$(printf '%s\n' "${written[@]}" | best); c=$(printf '%s\n' "${calls[@]}" | best)
u=$(printf '%s\n' "${call_us[@]}" | best); n=$(printf '%s\n' "${native[@]}" | best)
python3 - "$records" "$threads" "$runs" "$s" "$c" "$u" "$n" "$raw" "$compressed" "$gz" "$lost_total" "$decoded" <<'PY'
import sys
records, threads, runs = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
s, c, u, n = (float(x) for x in sys.argv[4:8])
raw, ours, gz, lost, decoded = (int(x) for x in sys.argv[8:13])
print("log benchmark: %d records from %d threads through the log facade, best of %d" % (records, threads, runs))
print("  facade under Wine  %8.0f records/s until written (%.3f s), calls returned after %.3f s, %.2f us per record on the calling thread" % (records / s, s, c, u))
print("  gzip -9 native     %8.0f records/s over the same %d bytes (%.3f s)" % (records / n, raw, n))
print("  ratio (facade / gzip -9 records per second) %.2f" % ((records / s) / (records / n)))
print("  file %d bytes (%.1f%% of the text), gzip -9 %d bytes; records lost %d, records decoded %d" % (ours, 100.0 * ours / raw, gz, lost, decoded))
PY
