#!/usr/bin/env bash
# Applies a large generated update script (the release's shape, ~2 MB,
# 29,798 lines) to fresh sample databases at version 5 on the local server:
# through the script library (IBEScript.dll loaded by its bare name, as the
# updater does), through the library's own parts with every statement on its
# own (--max-batch 1, no batch blocks), and with Firebird's isql (the script
# without its RECONNECT lines, which isql lacks). Side by side, repeated,
# each run on a database of its own; prints every wall time, the medians and
# the ratios, and checks that all runs left the same data.
#
#   benchmarks/script-benchmark.sh [BUILD_DIR] [REPETITIONS] [LINES]
#
# Needs the server of scripts/firebird-server.sh and a built BUILD_DIR
# (default build): bin/ibescript-run, bin/IBEScript.dll,
# bin/generate-update-script.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
repetitions=${2:-5}
lines=${3:-29798}
password=${ISC_PASSWORD:-kelmorinta}
server=localhost/3051

work=$(mktemp -d /tmp/script-benchmark-XXXXXX)
chmod 0777 "$work"
trap 'rm -rf "$work"' EXIT

"$build/bin/generate-update-script" --lines "$lines" --out "$work/update.sql"
# isql cannot reconnect.
LC_ALL=C grep -a -v -i -E '^[[:space:]]*reconnect[[:space:]]*;[[:space:]]*$' "$work/update.sql" \
  > "$work/update-isql.sql"
echo "script: $(wc -l < "$work/update.sql") lines, $(wc -c < "$work/update.sql") bytes"

isql() { isql-fb -q -user SYSDBA -password "$password" -ch WIN1251 "$@"; }

# A fresh sample database at version 5.
sample_database() {
  local file=$1
  printf "SET SQL DIALECT 3;\nCREATE DATABASE '%s:%s' PAGE_SIZE 4096 DEFAULT CHARACTER SET WIN1251;\n" \
    "$server" "$file" > "$work/create.sql"
  cat resources/installed/database.sql >> "$work/create.sql"
  printf "\r\nCOMMIT;\r\n" >> "$work/create.sql"
  isql -i "$work/create.sql" > /dev/null
}

now() { date +%s.%N; }

# The data of a database as one checksum, for comparing the runs.
checksum() {
  printf 'SET HEADING OFF;\nSELECT COUNT(*), SUM(QTY), SUM(AMOUNT), SUM(MOD(HASH(NOTE), 1000003)) FROM JOURNAL;\n%s\n%s\n' \
    "SELECT MAX(VERSIO_NO), COUNT(*) FROM VERSIO;" \
    "SELECT COUNT(*), SUM(PRICE) FROM GOODS;" |
    isql "$server:$1" | tr -s ' \n' ' '
}

declare -A times
run() {
  local kind=$1 db=$2 started ended
  sample_database "$db"
  started=$(now)
  case $kind in
    library) "$build/bin/ibescript-run" --db "$server:$db" --password "$password" \
               "$work/update.sql" > "$work/$kind.log" ;;
    single) "$build/bin/ibescript-run" --db "$server:$db" --password "$password" \
              --max-batch 1 "$work/update.sql" > "$work/$kind.log" ;;
    isql) isql "$server:$db" -i "$work/update-isql.sql" > "$work/$kind.log" 2>&1 ;;
  esac
  ended=$(now)
  times[$kind]+="$(awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.2f", b - a }') "
  local sum
  sum=$(checksum "$db")
  if [ -z "${reference:-}" ]; then reference=$sum; fi
  if [ "$sum" != "$reference" ]; then
    echo "$kind left other data: $sum (expected $reference)" >&2
    exit 1
  fi
}

kinds=(library single isql)
for ((i = 1; i <= repetitions; i++)); do
  for ((k = 0; k < 3; k++)); do
    kind=${kinds[(i + k) % 3]}
    run "$kind" "$work/$kind-$i.fdb"
  done
  echo "round $i of $repetitions done"
done

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# The ratios of one kind to isql, round by round.
ratios() {
  paste -d ' ' <(echo "${times[$1]}" | tr ' ' '\n' | grep -v '^$') \
    <(echo "${times[isql]}" | tr ' ' '\n' | grep -v '^$') |
    awk '{ printf "%.3f ", $1 / $2 }'
}
for kind in library single isql; do
  printf '%-8s %s s   (median %s s)\n' "$kind" "${times[$kind]}" "$(echo "${times[$kind]}" | median)"
done
library=$(ratios library | median)
echo "library / isql: median $library of $(ratios library)  (goal <= 0.5, aim 0.25)"
echo "single  / isql: median $(ratios single | median) of $(ratios single)  (one statement a round trip, no blocks)"
echo "all runs left the same data: $reference"
awk -v r="$library" 'BEGIN { exit !(r <= 0.5) }' || { echo "goal missed" >&2; exit 1; }
