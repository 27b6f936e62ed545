#!/usr/bin/env bash
# Wall time of updater-tool copy-folder against cp -a, and of updater-tool
# delete-folder against rm -rf, on a tree of one 1 GiB file and 10,000 small
# files. The two sides run in pairs, one right after the other (the order
# swapped every round, dirty pages written out before each), so that the
# machine's moods (a shared CPU, the disk's discards) hit both alike. The
# median of the rounds' ratios is held against the goals: copy at most 1.1
# times cp -a, delete at most 1.2 times rm -rf. Exits 1 when a goal is
# missed.
#
#   bash benchmarks/copy-delete.sh [BUILD_DIR]
#   ROUNDS=7 BENCH_DIR=/var/tmp bash benchmarks/copy-delete.sh build
#
# Needs about 2.1 GiB free in BENCH_DIR (default /var/tmp); the tree is
# removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
tool=$(realpath "$build/bin/updater-tool")
rounds=${ROUNDS:-9}
[ -x "$tool" ] || { echo "no $tool: build first" >&2; exit 2; }

work=$(mktemp -d "${BENCH_DIR:-/var/tmp}/copy-delete-XXXXXX")
trap 'rm -rf "$work"' EXIT
source=$work/source
target=$work/target

echo "making the tree in $work"
mkdir -p "$source"
head -c 1G /dev/urandom >"$source/big.bin"
for d in $(seq -w 0 99); do
  mkdir "$source/d$d"
  for f in $(seq -w 0 99); do
    # 1 byte to 4 KiB, written by the shell itself (no process per file).
    printf '%0*d' $(((10#$d * 100 + 10#$f) * 37 % 4096 + 1)) 0 >"$source/d$d/f$f"
  done
done
sync

# Seconds of wall time of one command.
timed() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A times
measure() {  # name command...
  local name=$1
  shift
  times[$name]+="$(timed "$@") "
}

latest() { local list=${times[$1]% }; echo "${list##* }"; }

prepare_copy() { rm -rf "$target"; sync; }
prepare_delete() { rm -rf "$target"; cp -a "$source" "$target"; sync; }

for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) -eq 1 ]; then
    prepare_copy; measure cp cp -a "$source" "$target"
    prepare_copy; measure copy "$tool" copy-folder "$source" "$target"
    prepare_delete; measure rm rm -rf "$target"
    prepare_delete; measure delete "$tool" delete-folder "$target"
  else
    prepare_copy; measure copy "$tool" copy-folder "$source" "$target"
    prepare_copy; measure cp cp -a "$source" "$target"
    prepare_delete; measure delete "$tool" delete-folder "$target"
    prepare_delete; measure rm rm -rf "$target"
  fi
  echo "round $round: cp -a $(latest cp) s, copy-folder $(latest copy) s," \
    "rm -rf $(latest rm) s, delete-folder $(latest delete) s"
done

# Each side's copy must be the same tree: compare once.
prepare_copy
"$tool" copy-folder "$source" "$target"
diff -r "$source" "$target" >/dev/null || { echo "copy-folder made a different tree" >&2; exit 1; }
rm -rf "$target"

status=0
report() {  # label ours theirs goal
  paste <(tr ' ' '\n' <<<"${times[$2]}" | grep .) <(tr ' ' '\n' <<<"${times[$3]}" | grep .) |
    awk -v l="$1" -v g="$4" '
      { o[NR] = $1; t[NR] = $2; r[NR] = $1 / $2 }
      function median(a, n,   i, j, x) {
        for (i = 2; i <= n; i++) { x = a[i]; for (j = i - 1; j > 0 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
        return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
      }
      END {
        n = NR; ratio = median(r, n)
        printf "%-26s %.2f times (goal at most %.2f) %s; medians %.3f s against %.3f s\n",
               l, ratio, g, (ratio <= g ? "met" : "MISSED"), median(o, n), median(t, n)
        exit (ratio <= g ? 0 : 1)
      }' || status=1
}
echo "median of the ratios of $rounds rounds:"
report "copy-folder / cp -a" copy cp 1.10
report "delete-folder / rm -rf" delete rm 1.20
exit $status
