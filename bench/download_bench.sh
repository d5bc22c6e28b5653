#!/usr/bin/env bash
# Download throughput of the SDK under Wine next to native tools, all against
# the same local nginx: one 1 GiB file (native curl), and 2,000 files of
# 256 KiB (native curl with 10 parallel transfers, and aria2c -j10). The SDK
# checks the MD5 and size of every file and renames it into place; aria2c
# checks the MD5 as well; curl checks nothing. For the 1 GiB file the script
# also times native downloads that verify (curl then md5sum, and
# curl | tee | md5sum, which hashes as it goes) and the SDK without a check.
#   bench/download_bench.sh [--runs R] [--small-files N] [--work DIR]
# nginx-light, curl and aria2 come from scripts/setup --bench.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
runs=3
small_files=2000
work="$repo/build/bench-work/download"
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --small-files) small_files=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
mkdir -p "$work"

# The server and the native peers come with the benchmarks' set-up.
"$repo/scripts/setup" --bench >/dev/null
"$repo/scripts/build" >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }
bench_exe="$repo/build/bench/download_bench.exe"

# The fixture, made once and kept for later runs.
www="$work/www"
marker="$work/made-$small_files"
if [ ! -f "$marker" ]; then
  # One fixture at a time: a run with another count remakes it.
  rm -rf "$www" "$work"/made-*
  mkdir -p "$www/small"
  python3 - "$www" "$small_files" <<'PY'
import hashlib, os, sys
www, count = sys.argv[1], int(sys.argv[2])
with open(os.path.join(www, "big.bin"), "wb") as f, open(os.path.join(www, "big.md5"), "w") as sums:
    digest = hashlib.md5()
    for _ in range(1024):
        block = os.urandom(1 << 20)
        f.write(block)
        digest.update(block)
    sums.write("%s big.bin %d\n" % (digest.hexdigest(), 1 << 30))
with open(os.path.join(www, "small.md5"), "w") as sums:
    for i in range(count):
        data = os.urandom(256 * 1024)
        name = "f-%05d.bin" % i
        with open(os.path.join(www, "small", name), "wb") as f:
            f.write(data)
        sums.write("%s %s %d\n" % (hashlib.md5(data).hexdigest(), name, len(data)))
PY
  touch "$marker"
fi

# nginx on a free loopback port, stopped when the script ends.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
nginx_dir="$work/nginx"
mkdir -p "$nginx_dir/logs"
cat >"$nginx_dir/nginx.conf" <<CONF
user root;
worker_processes 4;
pid $nginx_dir/nginx.pid;
error_log $nginx_dir/logs/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  keepalive_requests 100000;
  default_type application/octet-stream;
  client_body_temp_path $nginx_dir/client;
  proxy_temp_path $nginx_dir/proxy;
  fastcgi_temp_path $nginx_dir/fastcgi;
  uwsgi_temp_path $nginx_dir/uwsgi;
  scgi_temp_path $nginx_dir/scgi;
  server { listen 127.0.0.1:$port; root $www; }
}
CONF
nginx -p "$nginx_dir" -c "$nginx_dir/nginx.conf" -g 'daemon off;' &
nginx_pid=$!

# shellcheck source=../scripts/wine-env
. "$repo/scripts/wine-env"
finish() {
  [ -z "${out:-}" ] || rm -rf "$out"
  kill "$nginx_pid" 2>/dev/null || true
  wait "$nginx_pid" 2>/dev/null || true
  vemo_wine_down
}
trap finish EXIT
# A prefix of its own: a test run on the shared one would stop this one's wineserver.
vemo_wine_up "$work/wine" >/dev/null
for _ in $(seq 50); do curl -sf -o /dev/null "http://127.0.0.1:$port/big.md5" && break; sleep 0.1; done
base="http://127.0.0.1:$port"

win() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }
best() { sort -g | head -n 1; }
mbps() { python3 -c "import sys; print('%.0f' % (float(sys.argv[1]) / float(sys.argv[2]) / 1e6))" "$1" "$2"; }
ratio() { python3 -c "import sys; print('%.2f' % (float(sys.argv[2]) / float(sys.argv[1])))" "$1" "$2"; }
# The driver's summary line (the SDK's digest prints its own markers before it).
summary() { grep -o 'seconds=.*' <<<"$1"; }
sdk_seconds() { sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$1"; }
sdk_verified() { sed -n 's/.*ok=\([0-9]*\).*/\1/p' <<<"$1"; }

# Inputs of every tool: the SDK's list, curl's config, aria2c's input file.
# Downloads land in memory when the machine has a RAM disk: on a virtual
# disk the write-back of one run slows the next one, whichever tool it is.
out="$work/out"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then out="/dev/shm/vemo-download-bench-$$"; fi
while read -r md5 name size; do echo "$base/$name $name $md5 $size"; done <"$www/big.md5" >"$work/big.list"
while read -r md5 name size; do echo "$base/$name $name - $size"; done <"$www/big.md5" >"$work/big-unchecked.list"
while read -r md5 name size; do echo "$base/small/$name $name $md5 $size"; done <"$www/small.md5" >"$work/small.list"
while read -r url name _; do printf 'url = "%s"\noutput = "%s"\n' "$url" "$out/$name"; done <"$work/small.list" >"$work/small.curl"
while read -r url name md5 _; do printf '%s\n  out=%s\n  checksum=md5=%s\n' "$url" "$name" "$md5"; done \
  <"$work/small.list" >"$work/small.aria2"
big_bytes=$(awk '{ n += $3 } END { print n }' "$www/big.md5")
small_bytes=$(awk '{ n += $3 } END { print n }' "$www/small.md5")

# Warm the page cache for everybody.
cat "$www/big.bin" "$www"/small/* >/dev/null

# Each run starts with the disk's write-back of the run before done.
fresh_out() { rm -rf "$out"; mkdir -p "$out"; sync; }
sdk_big=(); sdk_plain_big=(); curl_big=(); curl_md5_big=(); tee_big=(); sdk_small=(); curl_small=(); aria_small=()
for _ in $(seq "$runs"); do
  fresh_out
  result=$(wine "$bench_exe" "$(win "$work/big.list")" "$(win "$out")")
  [ "$(sdk_verified "$result")" = 1 ] || { echo "SDK download of the big file failed: $(summary "$result")" >&2; exit 1; }
  sdk_big+=("$(sdk_seconds "$result")")
  fresh_out
  t0=$(now); curl -sf -o "$out/big.bin" "$base/big.bin"; t1=$(now)
  md5sum "$out/big.bin" >/dev/null; t2=$(now)
  curl_big+=("$(python3 -c "print($t1 - $t0)")")
  curl_md5_big+=("$(python3 -c "print($t2 - $t0)")")
  fresh_out
  t0=$(now); curl -sf "$base/big.bin" | tee "$out/big.bin" | md5sum >/dev/null; t1=$(now)
  tee_big+=("$(python3 -c "print($t1 - $t0)")")
  fresh_out
  result=$(wine "$bench_exe" "$(win "$work/big-unchecked.list")" "$(win "$out")")
  [ "$(sdk_verified "$result")" = 1 ] || { echo "SDK download of the big file without a check failed: $(summary "$result")" >&2; exit 1; }
  sdk_plain_big+=("$(sdk_seconds "$result")")

  fresh_out
  result=$(wine "$bench_exe" "$(win "$work/small.list")" "$(win "$out")")
  [ "$(sdk_verified "$result")" = "$small_files" ] || { echo "SDK download of the small files failed: $(summary "$result")" >&2; exit 1; }
  sdk_small+=("$(sdk_seconds "$result")")
  fresh_out
  t0=$(now); curl -sf --no-progress-meter -Z --parallel-max 10 -K "$work/small.curl"; t1=$(now)
  curl_small+=("$(python3 -c "print($t1 - $t0)")")
  fresh_out
  t0=$(now)
  aria2c -q -j10 -s1 -x1 --file-allocation=none --allow-overwrite=true --auto-file-renaming=false \
    --check-integrity=true -d "$out" -i "$work/small.aria2"
  t1=$(now)
  aria_small+=("$(python3 -c "print($t1 - $t0)")")
done
rm -rf "$out"

s_big=$(printf '%s\n' "${sdk_big[@]}" | best); c_big=$(printf '%s\n' "${curl_big[@]}" | best)
m_big=$(printf '%s\n' "${curl_md5_big[@]}" | best)
t_big=$(printf '%s\n' "${tee_big[@]}" | best); p_big=$(printf '%s\n' "${sdk_plain_big[@]}" | best)
s_small=$(printf '%s\n' "${sdk_small[@]}" | best); c_small=$(printf '%s\n' "${curl_small[@]}" | best)
a_small=$(printf '%s\n' "${aria_small[@]}" | best)
echo "download benchmark against nginx on 127.0.0.1, best of $runs, MB = 10^6 bytes"
printf '  1 GiB file          SDK under Wine %7.3f s %5s MB/s | curl native          %7.3f s %5s MB/s | ratio %s\n' \
  "$s_big" "$(mbps "$big_bytes" "$s_big")" "$c_big" "$(mbps "$big_bytes" "$c_big")" "$(ratio "$s_big" "$c_big")"
printf '%58s| curl + md5sum native %7.3f s %5s MB/s | ratio %s\n' "" \
  "$m_big" "$(mbps "$big_bytes" "$m_big")" "$(ratio "$s_big" "$m_big")"
printf '%58s| curl | tee | md5sum  %7.3f s %5s MB/s | ratio %s\n' "" \
  "$t_big" "$(mbps "$big_bytes" "$t_big")" "$(ratio "$s_big" "$t_big")"
printf '  1 GiB, no MD5       SDK under Wine %7.3f s %5s MB/s | curl native          %7.3f s %5s MB/s | ratio %s\n' \
  "$p_big" "$(mbps "$big_bytes" "$p_big")" "$c_big" "$(mbps "$big_bytes" "$c_big")" "$(ratio "$p_big" "$c_big")"
printf '  %d x 256 KiB      SDK under Wine %7.3f s %5s MB/s | curl -Z native (10)  %7.3f s %5s MB/s | ratio %s\n' \
  "$small_files" "$s_small" "$(mbps "$small_bytes" "$s_small")" "$c_small" "$(mbps "$small_bytes" "$c_small")" \
  "$(ratio "$s_small" "$c_small")"
printf '%58s| aria2c -j10 native   %7.3f s %5s MB/s | ratio %s\n' "" \
  "$a_small" "$(mbps "$small_bytes" "$a_small")" "$(ratio "$s_small" "$a_small")"
echo "  (ratio = SDK throughput / native throughput; the SDK and aria2c check every MD5 except on the \"no MD5\" line, curl checks nothing)"
# The report's table rows: files per second for the small files.
fps() { python3 -c "import sys; print('%.0f' % (float(sys.argv[1]) / float(sys.argv[2])))" "$small_files" "$1"; }
echo "table: 1 GiB download with MD5 check | $(mbps "$big_bytes" "$s_big") MB/s | curl \\| tee \\| md5sum $(mbps "$big_bytes" "$t_big") MB/s | $(ratio "$s_big" "$t_big")x"
echo "table: 1 GiB download without a check | $(mbps "$big_bytes" "$p_big") MB/s | curl $(mbps "$big_bytes" "$c_big") MB/s | $(ratio "$p_big" "$c_big")x"
echo "table: $small_files x 256 KiB with MD5 | $(fps "$s_small") files/s | aria2c -j10 $(fps "$a_small") files/s | $(ratio "$s_small" "$a_small")x"
