#!/usr/bin/env bash
# What download lists of many small files cost the Lua thread under Wine: the
# time of the submit_download_list call, and how many tasks the 100 ms ticks
# take until every file has its result (bundles of the batch against one task
# per file without them). Files come from the test HTTP server.
#   bench/batch_submit_bench.sh [--files "2000 5000"] [--size BYTES] [--work DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
counts="2000 5000"
size=4096
work="$repo/build/bench-work/batch"
while [ $# -gt 0 ]; do
  case $1 in
    --files) counts=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
mkdir -p "$work"
"$repo/scripts/build" >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }

port_file="$work/server.port"
python3 "$repo/tests/support/testserver.py" start --port-file "$port_file" --root "$work/www" >/dev/null
# shellcheck source=../scripts/wine-env
. "$repo/scripts/wine-env"
finish() {
  vemo_wine_down
  python3 "$repo/tests/support/testserver.py" stop --port-file "$port_file"
}
trap finish EXIT
vemo_wine_up "$work/wine" >/dev/null
port=$(head -n 1 "$port_file")
win() { echo "Z:${1//\//\\}"; }

echo "batch download lists from the test server on 127.0.0.1, $size-byte files, ticks every 100 ms"
for count in $counts; do
  feed="$work/www/n$count"
  if [ ! -f "$feed.list" ]; then
    python3 - "$feed" "$count" "$size" <<'PY'
import hashlib, os, sys
folder, count, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
os.makedirs(folder, exist_ok=True)
with open(folder + ".list", "w") as listing:
    for i in range(count):
        data = os.urandom(size)
        name = "f-%05d.bin" % i
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        listing.write("%s %s %d\n" % (name, hashlib.md5(data).hexdigest(), size))
PY
  fi
  out="$work/out"
  rm -rf "$out"; mkdir -p "$out"
  result=$(wine "$repo/build/bench/batch_submit_bench.exe" "$(win "$feed.list")" "http://127.0.0.1:$port/n$count" \
             "$(win "$out")" | grep -o 'files=.*')
  rm -rf "$out"
  python3 - "$result" <<'PY'
import sys
f = dict(kv.split("=") for kv in sys.argv[1].split())
files, tasks = int(f["files"]), int(f["tasks"])
print("  %5d files: %s verified, submit_download_list %s ms, all results after %s s, %s ticks; "
      "%d Lua tasks (%d bundles, at most %s items each, %s progress items) instead of %d, %.1f files per task"
      % (files, f["ok"], f["submit_ms"], f["seconds"], f["ticks"], tasks, int(f["bundles"]), f["most_items"],
         f["progress_items"], files, files / max(tasks, 1)))
PY
done
