#!/usr/bin/env bash
# The goods commands at a chain's scale, measured whole as the companion runs
# them on a fresh data folder: for 10^6 and 10^5 goods of a dBase table
# (tools/make_goods.py) the update into an empty goods store, the same update
# again with nothing changed, the same goods with every price changed (the
# price history written), `goods select --check-type 0` and `goods list`.
# Prints a Markdown table of wall and CPU (user + system) seconds and the
# program's own memory at its peak (anonymous resident memory, sampled: not
# the goods file SQLite maps), each beside its target, with the machine and
# its load average at the start and at the end.
#
#   bench/scale.sh [--max N] [--seed S]
#
# --max N leaves out the sizes above N goods (--max 100000: 10^5 only). Uses
# $BUILD_DIR (default build/) of this checkout and builds the companion there
# when it is missing.
set -euo pipefail
# shellcheck source=bench/benchlib.sh
. "$(dirname "$0")/benchlib.sh"
m="" # figures of the last measure

MAX=1000000
SEED=1
parse_max_seed "$@"

need_tools
ensure_companion
make_workdir

SIZES=()
for n in 1000000 100000; do [ "$n" -le "$MAX" ] && SIZES+=("$n"); done
[ ${#SIZES[@]} -gt 0 ] || die "--max $MAX: nie zostaje nic do zmierzenia (najmniej 100000)"

# Targets per size: update, again, prices changed, select, list (seconds);
# "–" where none is set.
declare -A TARGET=(
  [1000000 update]="≤ 8 s" [1000000 again]="≤ 3 s" [1000000 prices]="≤ 10 s" [1000000 select]="≤ 0.5 s" [1000000 list]="≤ 3 s"
  [100000 update]="≤ 1 s" [100000 again]="≤ 0.4 s" [100000 prices]="–" [100000 select]="≤ 0.1 s" [100000 list]="–"
)
MEMORY_TARGET=150

row() { # OPERATION COUNT KEY "wall cpu anon"
  local w c a mark=""
  read -r w c a <<<"$4"
  awk -v a="$a" -v t="$MEMORY_TARGET" 'BEGIN { exit !(a > t) }' && mark=" (over ${MEMORY_TARGET} MB)"
  echo "| $1 | $2 | $w | $c | $a$mark | ${TARGET[$2 $3]:-–} |"
}

echo "## The goods commands at scale"
echo
machine_line
echo
echo "| operation | goods | wall s | CPU s | own memory MB | target wall |"
echo "|---|---:|---:|---:|---:|---|"
for n in "${SIZES[@]}"; do
  dir="$WORK/goods-$n"
  data="$dir/data"
  # The same goods twice: as they are, and a price list later (every price
  # 10 grosze up), each with its definition in the one data folder.
  python3 "$MAKE_GOODS" --count "$n" --seed "$SEED" --out "$dir/shop" --data-dir "$data" --definition-only >/dev/null
  python3 "$MAKE_GOODS" --count "$n" --seed "$SEED" --price-change 10 --out "$dir/prices" --data-dir "$data" \
    --definition-only --definition "Nowe ceny" >/dev/null
  # A first command prepares the brand-new folder (layouts, definitions, the
  # empty goods store), so the update below is the update alone.
  "$CLI" --data-dir "$data" goods list --view 2 >/dev/null || die "goods list na pustym folderze nie powiodło się"

  measure_own m "$CLI" --data-dir "$data" update --definition "Towary testowe" >/dev/null
  row "update into an empty store" "$n" update "$m"
  measure_own m "$CLI" --data-dir "$data" update --definition "Towary testowe" >"$WORK/out.txt"
  grep -q "Nie stwierdzono zmian" "$WORK/out.txt" || die "update again: $(cat "$WORK/out.txt")"
  row "update again, nothing changed" "$n" again "$m"
  measure_own m "$CLI" --data-dir "$data" update --definition "Nowe ceny" >"$WORK/out.txt"
  grep -q "pozycji: $n\$" "$WORK/out.txt" || die "update of new prices: $(cat "$WORK/out.txt")"
  row "prices update, every price changed" "$n" prices "$m"
  measure_own m "$CLI" --data-dir "$data" goods select --check-type 0
  row "select --check-type 0" "$n" select "$m"
  measure_own m "$CLI" --data-dir "$data" goods list >"$WORK/list.tsv"
  rows=$(($(wc -l <"$WORK/list.tsv") - 1))
  [ "$rows" -eq "$n" ] || die "goods list: $rows wierszy zamiast $n"
  row "list (all, to a file)" "$n" list "$m"
  rm -rf "$dir" "$WORK/list.tsv"
done
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
