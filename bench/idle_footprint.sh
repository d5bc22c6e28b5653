#!/usr/bin/env bash
# The launcher idle under Wine beside a bare Win32 window with a 100 ms timer
# built by the same toolchain: resident memory 30 s after start and the CPU
# it uses from 20 s to 30 s, read from /proc on the Linux side (VmRSS, so
# Wine's own libraries count on both sides).
#   bench/idle_footprint.sh [--work DIR]
# Prints: case | ours | bare window | ratio, one line for memory, one for CPU.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
work="$repo/build/bench-work/idle"
while [ $# -gt 0 ]; do
  case $1 in
    --work) work=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
mkdir -p "$work"
"$repo/scripts/build" >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }

# utime + stime in clock ticks, and resident kB, of one process.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
resident_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
# The Windows program a wine process tree runs: the child whose command names it.
program_pid() {
  local parent=$1 name=$2 pid
  for _ in $(seq 600); do
    pid=$(pgrep -P "$parent" -x "$name" | head -n 1 || true)
    [ -n "$pid" ] && { echo "$pid"; return; }
    sleep 0.1
  done
  return 1
}
# Measures pid: prints "MB CPU%" for the window 20 s .. 30 s after start.
measure() {
  local pid=$1 hz t0 t1
  hz=$(getconf CLK_TCK)
  sleep 20
  t0=$(cpu_ticks "$pid")
  sleep 10
  t1=$(cpu_ticks "$pid")
  python3 -c "import sys; print('%.1f %.2f' % (int(sys.argv[1]) / 1024, (int(sys.argv[3]) - int(sys.argv[2])) * 100.0 / int(sys.argv[4]) / 10))" \
    "$(resident_kb "$pid")" "$t0" "$t1" "$hz"
}

"$repo/scripts/run" --headless --no-build --seconds 34 --work-dir "$work/run" >"$work/run.log" 2>&1 &
runner=$!
launcher=$(program_pid "$runner" launcher.exe) || { echo "the launcher did not start" >&2; cat "$work/run.log" >&2; exit 1; }
read -r ours_mb ours_cpu < <(measure "$launcher")
wait "$runner" || true

# shellcheck source=../scripts/wine-env
. "$repo/scripts/wine-env"
trap vemo_wine_down EXIT
vemo_wine_up "$work/run/wine" >/dev/null
wine "$repo/build/bench/bare_window.exe" 34 >"$work/bare.log" &
bare=$!
read -r bare_mb bare_cpu < <(measure "$bare")
wait "$bare" || true

echo "launcher idle, resident 30 s after start | $ours_mb MB | bare window $bare_mb MB | $(python3 -c "print('%.2fx' % ($ours_mb / $bare_mb))")"
echo "launcher idle, CPU 20-30 s after start | $ours_cpu % | bare window $bare_cpu % | -"
