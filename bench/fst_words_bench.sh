#!/usr/bin/env bash
# FST tables and the sensitive-word trie under Wine, next to native peers in
# the same run: lookups per second and bytes per key of an FST table of
# 100,000 pairs against a plain Lua table of the same pairs (in our Lua under
# Wine and in the native lua5.3), the FST compile time; and the MB/s of text
# that a script filters with a 10,000-word trie against grep -F -f over the
# same text. About half a minute.
#   bench/fst_words_bench.sh [--work DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
work="$repo/build/bench-work/fst-words"
while [ $# -gt 0 ]; do
  case $1 in
    --work) work=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
mkdir -p "$work"
"$repo/scripts/build" >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; exit 1; }

# 10,000 words of 4-9 letters, and 2 MB of text: words of a wider vocabulary
# with a sensitive word now and then.
python3 - "$work" <<'PY'
import random, sys, os
work = sys.argv[1]
rng = random.Random(5)
letters = "etaoinshrdlucmfwypvbgkqjxz"
def word(lo, hi):
    return "".join(rng.choice(letters) for _ in range(rng.randint(lo, hi)))
words = set()
while len(words) < 10000:
    words.add(word(4, 9))
words = sorted(words)
with open(os.path.join(work, "words.txt"), "w") as f:
    f.write("\n".join(words) + "\n")
parts, size = [], 0
while size < 2_000_000:
    piece = rng.choice(words) if rng.random() < 0.02 else word(1, 8)
    parts.append(piece)
    size += len(piece) + 1
with open(os.path.join(work, "text.txt"), "w") as f:
    f.write(" ".join(parts))
PY

# shellcheck source=../scripts/wine-env
. "$repo/scripts/wine-env"
trap vemo_wine_down EXIT
vemo_wine_up "$work/wine" >/dev/null
win() { echo "Z:${1//\//\\}"; }
bench_exe="$repo/build/bench/lua_script_bench.exe"

native_lookups=$(lua5.3 "$here/fst_lookup_bench.lua")
# Only the figures: the SDK prints lines of its own at start-up.
wine_lookups=$(wine "$bench_exe" "$(win "$here/fst_lookup_bench.lua")" | tr -d '\r' | grep -E '^(plain|fst)_table ')
start=$(date +%s%N)
grep_matches=$(grep -F -o -f "$work/words.txt" "$work/text.txt" | wc -l)
grep_ns=$(( $(date +%s%N) - start ))
trie=$(wine "$bench_exe" "$(win "$here/sensitive_words_bench.lua")" "$(win "$work/words.txt")" \
         "$(win "$work/text.txt")" | tr -d '\r' | grep '^trie ')

python3 - "$native_lookups" "$wine_lookups" "$grep_matches" "$grep_ns" "$trie" "$(stat -c %s "$work/text.txt")" <<'PY'
import sys
def fields(line):
    return dict(part.split("=") for part in line.split()[1:])
native = fields(sys.argv[1])
ours = {line.split()[0]: fields(line) for line in sys.argv[2].splitlines() if line.strip()}
plain, fst = ours["plain_table"], ours["fst_table"]
print("FST table of 100,000 pairs (our Lua under Wine) against a plain Lua table of the same pairs")
print("  %-34s %12s %14s" % ("", "lookups/s", "bytes per key"))
print("  %-34s %12.0f %14.1f" % ("plain table, native lua5.3", float(native["lookups_per_s"]), float(native["bytes_per_key"])))
print("  %-34s %12.0f %14.1f" % ("plain table, our Lua under Wine", float(plain["lookups_per_s"]), float(plain["bytes_per_key"])))
print("  %-34s %12.0f %14.1f" % ("FST table, our Lua under Wine", float(fst["lookups_per_s"]), float(fst["bytes_per_key"])))
print("  FST / plain (Wine): lookups %.2fx, bytes per key %.2fx; FST / native plain: lookups %.2fx"
      % (float(fst["lookups_per_s"]) / float(plain["lookups_per_s"]),
         float(fst["bytes_per_key"]) / float(plain["bytes_per_key"]),
         float(fst["lookups_per_s"]) / float(native["lookups_per_s"])))
print("  FST compile time: %.3f s" % float(fst["compile_s"]))
trie = fields(sys.argv[5])
text_mb = int(sys.argv[6]) / 1e6
grep_rate = text_mb / (int(sys.argv[4]) / 1e9)
print("Sensitive words: 10,000-word list over %.1f MB of text" % text_mb)
print("  script walking the trie (Wine): %8.2f MB/s, %s matches (insert %s s)"
      % (float(trie["filter_MB_per_s"]), trie["matches"], trie["insert_s"]))
print("  grep -F -f words (native):      %8.2f MB/s, %s matches" % (grep_rate, sys.argv[3]))
print("  trie / grep: %.3fx" % (float(trie["filter_MB_per_s"]) / grep_rate))
PY
