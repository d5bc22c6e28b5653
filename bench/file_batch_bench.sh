#!/usr/bin/env bash
# Throughput of the batch MD5 and the batch copy under Wine, next to native
# md5sum and cp -r on the same files (warm page cache for all of them).
#   bench/file_batch_bench.sh [--files N] [--file-bytes B] [--runs R] [--work DIR]
# Defaults: 1,000 files of 1,073,742 bytes (1 GiB in all), best of 3 runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
files=1000
file_bytes=1073742
runs=3
work="$repo/build/bench-work/file-batch"
while [ $# -gt 0 ]; do
  case $1 in
    --files) files=$2; shift 2 ;;
    --file-bytes) file_bytes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

"$repo/scripts/build" >"$repo/build/bench-build.log" 2>&1 || { cat "$repo/build/bench-build.log" >&2; exit 1; }
bench_exe="$repo/build/bench/file_batch_bench.exe"

# The fixture: files of random bytes, made once and kept for later runs.
src="$work/src"
marker="$work/made-$files-$file_bytes"
if [ ! -f "$marker" ]; then
  rm -rf "$work"
  mkdir -p "$src"
  python3 - "$src" "$files" "$file_bytes" <<'PY'
import os, sys
folder, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(count):
    with open(os.path.join(folder, "file-%04d.bin" % i), "wb") as f:
        f.write(os.urandom(size))
PY
  touch "$marker"
fi
bytes=$((files * file_bytes))

# shellcheck source=../scripts/wine-env
. "$repo/scripts/wine-env"
trap vemo_wine_down EXIT
vemo_wine_up "$repo/build/wine" >/dev/null

win() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }
best() { sort -g | head -n 1; }
mbps() { python3 -c "import sys; print('%.0f' % ($bytes / float(sys.argv[1]) / 1e6))" "$1"; }
ratio() { python3 -c "import sys; print('%.2f' % (float(sys.argv[2]) / float(sys.argv[1])))" "$1" "$2"; }

# Warm the cache once for everybody.
cat "$src"/* >/dev/null

sdk_md5=(); native_md5=(); sdk_copy=(); native_copy=()
for _ in $(seq "$runs"); do
  out=$(wine "$bench_exe" md5 "$(win "$src")" "$(win "$work/sdk.md5")")
  sdk_md5+=("$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$out")")
  grep -q 'succ=1' <<<"$out" || { echo "batch md5 failed: $out" >&2; exit 1; }

  t0=$(now); (cd "$src" && md5sum -- * >"$work/native.md5"); t1=$(now)
  native_md5+=("$(python3 -c "print($t1 - $t0)")")

  rm -rf "$work/dst-sdk" "$work/dst-native"; sync
  out=$(wine "$bench_exe" copy "$(win "$src")" "$(win "$work/dst-sdk")")
  sdk_copy+=("$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$out")")
  grep -q 'succ=1' <<<"$out" || { echo "batch copy failed: $out" >&2; exit 1; }
  sync
  t0=$(now); cp -r "$src" "$work/dst-native"; t1=$(now)
  native_copy+=("$(python3 -c "print($t1 - $t0)")")
  sync
done

agree=no
if diff <(sort "$work/sdk.md5") <(sort "$work/native.md5") >/dev/null && cmp -s <(cd "$work/dst-sdk" && cat -- *) <(cd "$src" && cat -- *); then
  agree=yes
fi
rm -rf "$work/dst-sdk" "$work/dst-native"

s_md5=$(printf '%s\n' "${sdk_md5[@]}" | best); n_md5=$(printf '%s\n' "${native_md5[@]}" | best)
s_copy=$(printf '%s\n' "${sdk_copy[@]}" | best); n_copy=$(printf '%s\n' "${native_copy[@]}" | best)
echo "file batch benchmark: $files files of $file_bytes bytes ($((bytes / 1048576)) MiB), best of $runs, MB = 10^6 bytes"
printf '  md5   batch under Wine %8.3f s %6s MB/s | md5sum native %8.3f s %6s MB/s | ratio %s\n' \
  "$s_md5" "$(mbps "$s_md5")" "$n_md5" "$(mbps "$n_md5")" "$(ratio "$s_md5" "$n_md5")"
printf '  copy  batch under Wine %8.3f s %6s MB/s | cp -r native  %8.3f s %6s MB/s | ratio %s\n' \
  "$s_copy" "$(mbps "$s_copy")" "$n_copy" "$(mbps "$n_copy")" "$(ratio "$s_copy" "$n_copy")"
echo "  (ratio = batch throughput / native throughput)  digests and copies agree with the native tools: $agree"
# The report's table rows.
echo "table: file batch, md5 of $files files | $(mbps "$s_md5") MB/s | md5sum $(mbps "$n_md5") MB/s | $(ratio "$s_md5" "$n_md5")x"
echo "table: file batch, copy of $files files | $(mbps "$s_copy") MB/s | cp -r $(mbps "$n_copy") MB/s | $(ratio "$s_copy" "$n_copy")x"
