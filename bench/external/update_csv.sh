#!/usr/bin/env bash
# The goods update as a shop's script runs it, from a CSV export beside the
# same goods from a dBase table: tools/make_goods.py writes the goods once in
# each form (TOWARY.CSV: semicolons, Windows-1250, decimal commas; TOWARY.DBF)
# with a definition of each kind (CSV files, TYPE=6; dBase, TYPE=3) in a data
# folder that holds nothing else, and every run is
#
#   prandel-etykiet-cli --data-dir D update --definition "Towary testowe"
#
# on a fresh copy of that folder (the companion prepares it and makes the
# goods file, as at a shop's first update). Prints wall time, CPU time (user +
# system) and peak resident memory of each, and the ratio CSV / dBase.
#
#   bench/external/update_csv.sh [--count N] [--repeat R] [--seed S]
#
# --count defaults to 1,000,000 goods. With --repeat R each form runs R times
# and the best run counts. Uses $BUILD_DIR (default build/) of this checkout
# and builds the companion there when it is missing.
set -euo pipefail
# shellcheck source=bench/benchlib.sh
. "$(dirname "$0")/../benchlib.sh"
m="" # figures of the last measure

COUNT=1000000
REPEAT=1
SEED=1
while [ $# -gt 0 ]; do
  case "$1" in
    --count) COUNT=${2:?--count needs a number}; shift 2 ;;
    --repeat) REPEAT=${2:?--repeat needs a number}; shift 2 ;;
    --seed) SEED=${2:?--seed needs a number}; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) die "nieznana opcja: $1 (zobacz --help)" ;;
  esac
done
[[ "$COUNT" =~ ^[1-9][0-9]*$ ]] || die "--count: $COUNT nie jest liczbą towarów"
[[ "$REPEAT" =~ ^[1-9][0-9]*$ ]] || die "--repeat: $REPEAT nie jest liczbą"
[[ "$SEED" =~ ^[0-9]+$ ]] || die "--seed: $SEED nie jest liczbą"

need_tools
ensure_companion
make_workdir

echo "## The update of $COUNT goods through the companion: a CSV export beside a dBase table"
echo
machine_line
echo "Best of $REPEAT run(s) each, every run into a fresh data folder; CPU = user + system."
echo
echo "| source | file MB | wall s | CPU s | peak RSS MB |"
echo "|---|---:|---:|---:|---:|"
declare -A cpu
for format in dbf csv; do
  python3 "$MAKE_GOODS" --count "$COUNT" --seed "$SEED" --format "$format" --out "$WORK/shop-$format" \
    --data-dir "$WORK/prepared-$format" --definition-only >/dev/null
  file=$(find "$WORK/shop-$format" -maxdepth 1 -type f -iname "towary.$format" | head -1)
  best=""
  for _ in $(seq "$REPEAT"); do
    rm -rf "$WORK/data"
    cp -a "$WORK/prepared-$format" "$WORK/data"
    out=$(mktemp "$WORK/out.XXXXXX")
    measure m "$CLI" --data-dir "$WORK/data" update --definition "Towary testowe" >"$out"
    [ "$(cat "$out")" = "Liczba zmienionych pozycji: $COUNT" ] || die "$format: $(cat "$out")"
    if [ -z "$best" ] || awk -v a="$m" -v b="$best" 'BEGIN { split(a, x); split(b, y); exit !(x[2] < y[2]) }'; then best=$m; fi
  done
  read -r wall c rss <<<"$best"
  cpu[$format]=$c
  label=$([ "$format" = csv ] && echo "CSV export (TYPE=6)" || echo "dBase table (TYPE=3)")
  echo "| $label | $(file_mb "$file") | $wall | $c | $rss |"
done
echo
awk -v c="${cpu[csv]}" -v d="${cpu[dbf]}" 'BEGIN { printf "CSV / dBase CPU time: %.2f\n", c / d }'
