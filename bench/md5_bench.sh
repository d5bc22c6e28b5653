#!/usr/bin/env bash
# MD5 throughput under Wine next to native md5sum, in one run on the same
# files with a warm page cache: one file digested as one stream, and the
# batch MD5 of many files against md5sum over the same list.
#   bench/md5_bench.sh [--stream-bytes B] [--files N] [--file-bytes B] [--rounds R] [--work DIR]
# Defaults: a 1 GiB stream; 1,000 files of 1,073,742 bytes; median of 3
# interleaved rounds. Prints one line per case, case | ours | native | ratio
# (ratio = our throughput / native throughput; MB = 10^6 bytes), and the
# rounds, the agreement of the digests and the load on standard error.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
stream_bytes=1073741824
files=1000
file_bytes=1073742
rounds=3
work="$repo/build/bench-work/md5"
while [ $# -gt 0 ]; do
  case $1 in
    --stream-bytes) stream_bytes=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --file-bytes) file_bytes=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

mkdir -p "$repo/build"
"$repo/scripts/build" >"$repo/build/bench-build.log" 2>&1 || { cat "$repo/build/bench-build.log" >&2; exit 1; }
stream_exe="$repo/build/bench/md5_bench.exe"
batch_exe="$repo/build/bench/file_batch_bench.exe"

# The fixtures: random bytes, made once and kept for later runs.
stream="$work/stream-$stream_bytes.bin"
batch="$work/batch-$files-$file_bytes"
mkdir -p "$work"
if [ ! -f "$stream" ]; then
  head -c "$stream_bytes" /dev/urandom >"$stream.part" && mv "$stream.part" "$stream"
fi
if [ ! -f "$batch.made" ]; then
  rm -rf "$batch"
  mkdir -p "$batch"
  python3 - "$batch" "$files" "$file_bytes" <<'PY'
import os, sys
folder, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(count):
    with open(os.path.join(folder, "file-%04d.bin" % i), "wb") as f:
        f.write(os.urandom(size))
PY
  touch "$batch.made"
fi
batch_bytes=$((files * file_bytes))

# shellcheck source=../scripts/wine-env
. "$repo/scripts/wine-env"
trap vemo_wine_down EXIT
vemo_wine_up "$repo/build/wine" >/dev/null

win() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
field() { tr -d '\r' <<<"$2" | sed -n "s/.*$1=\([^ ]*\).*/\1/p" | tail -n 1; }
mbps() { python3 -c "import sys; print('%.0f MB/s' % (int(sys.argv[1]) / float(sys.argv[2]) / 1e6))" "$1" "$2"; }
ratio() { python3 -c "import sys; print('%.2fx' % (float(sys.argv[2]) / float(sys.argv[1])))" "$1" "$2"; }

cat "$stream" "$batch"/* >/dev/null

ours_stream=(); native_stream=(); ours_batch=(); native_batch=()
agree=yes
for _ in $(seq "$rounds"); do
  out=$(wine "$stream_exe" "$(win "$stream")")
  ours_stream+=("$(field seconds "$out")")
  t0=$(now); native=$(md5sum "$stream"); t1=$(now)
  native_stream+=("$(python3 -c "print($t1 - $t0)")")
  [ "$(field digest "$out")" = "${native%% *}" ] || agree=no

  out=$(wine "$batch_exe" md5 "$(win "$batch")" "$(win "$work/ours.md5")")
  grep -q 'succ=1' <<<"$out" || { echo "batch md5 failed: $out" >&2; exit 1; }
  ours_batch+=("$(field seconds "$out")")
  t0=$(now); (cd "$batch" && md5sum -- * >"$work/native.md5"); t1=$(now)
  native_batch+=("$(python3 -c "print($t1 - $t0)")")
  diff <(sort "$work/ours.md5") <(sort "$work/native.md5") >/dev/null || agree=no
done

s_ours=$(printf '%s\n' "${ours_stream[@]}" | median); s_native=$(printf '%s\n' "${native_stream[@]}" | median)
b_ours=$(printf '%s\n' "${ours_batch[@]}" | median); b_native=$(printf '%s\n' "${native_batch[@]}" | median)
echo "md5 of one stream, $((stream_bytes / 1048576)) MiB | $(mbps "$stream_bytes" "$s_ours") | md5sum $(mbps "$stream_bytes" "$s_native") | $(ratio "$s_ours" "$s_native")"
echo "batch md5, $files files, $((batch_bytes / 1048576)) MiB | $(mbps "$batch_bytes" "$b_ours") | md5sum $(mbps "$batch_bytes" "$b_native") | $(ratio "$b_ours" "$b_native")"
echo "md5 bench: median of $rounds interleaved rounds; digests agree with md5sum: $agree; load average $(cut -d' ' -f1-3 /proc/loadavg)" >&2
[ "$agree" = yes ]
