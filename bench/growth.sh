#!/usr/bin/env bash
# How the companion's commands grow with the table: for 10^4, 10^5 and 10^6
# goods (tools/make_goods.py) the update into an empty goods table, the same
# update again with nothing changed, `goods list` (whose memory must not grow
# with the table: it streams) and `goods select --check-type 0`; for 10^3, 10^4
# and 10^5 marked goods the `print --pdf` job. Prints a Markdown table with the
# machine, wall and CPU (user + system) seconds and peak resident memory.
#
#   bench/growth.sh [--max N] [--seed S]
#
# --max N leaves out every size above N goods or labels (10^6 goods take long:
# --max 100000 stops at 10^5). Uses $BUILD_DIR (default build/) of this
# checkout and builds the companion there when it is missing.
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

GOODS_SIZES=()
for n in 10000 100000 1000000; do [ "$n" -le "$MAX" ] && GOODS_SIZES+=("$n"); done
LABEL_SIZES=()
for n in 1000 10000 100000; do [ "$n" -le "$MAX" ] && LABEL_SIZES+=("$n"); done
[ ${#GOODS_SIZES[@]} -gt 0 ] || [ ${#LABEL_SIZES[@]} -gt 0 ] || die "--max $MAX: nie zostaje nic do zmierzenia (najmniej 1000)"

row() { # OPERATION COUNT "wall cpu rss" [NOTE]
  local w c r
  read -r w c r <<<"$3"
  echo "| $1 | $2 | $w | $c | $r | ${4:-} |"
}

# A marked goods table of N goods, with its external folder, in DIR.
prepare() { # N DIR MARK [--definition-only]
  python3 "$MAKE_GOODS" --count "$1" --seed "$SEED" --out "$2/shop" --data-dir "$2/data" \
    --mark "$3" --cli "$CLI" "${@:4}" >/dev/null
}

count_rows() { # FILE -> data rows of a `goods list`
  echo $(($(wc -l <"$1") - 1))
}

echo "## Growth of the companion's commands with the goods table"
echo
machine_line
echo
echo "| operation | goods / labels | wall s | CPU s | peak RSS MB | note |"
echo "|---|---:|---:|---:|---:|---|"
for n in ${GOODS_SIZES[@]+"${GOODS_SIZES[@]}"}; do
  dir="$WORK/goods-$n"
  prepare "$n" "$dir" none --definition-only
  data="$dir/data"
  # A first command prepares the brand-new folder (layouts, definitions, the
  # empty goods table), so the update below is the update alone.
  "$CLI" --data-dir "$data" goods list --view 2 >/dev/null || die "goods list na pustym folderze nie powiodło się"

  measure m "$CLI" --data-dir "$data" update --definition "Towary testowe" >"$WORK/update.txt"
  row "update, empty goods table" "$n" "$m" "$(tr -d '\n' <"$WORK/update.txt")"
  measure m "$CLI" --data-dir "$data" update --definition "Towary testowe" >"$WORK/update.txt"
  row "update again, nothing changed" "$n" "$m" "$(tr -d '\n' <"$WORK/update.txt")"
  measure m "$CLI" --data-dir "$data" goods list >"$WORK/list.tsv"
  rows=$(count_rows "$WORK/list.tsv")
  [ "$rows" -eq "$n" ] || die "goods list: $rows wierszy zamiast $n"
  row "goods list (all, to a file)" "$n" "$m" "$(file_mb "$WORK/list.tsv") MB of text"
  rm -f "$WORK/list.tsv"
  measure m "$CLI" --data-dir "$data" goods select --check-type 0
  row "goods select --check-type 0" "$n" "$m"
  "$CLI" --data-dir "$data" goods list --view 2 >"$WORK/list.tsv"
  rows=$(count_rows "$WORK/list.tsv")
  [ "$rows" -eq "$n" ] || die "goods select: zaznaczono $rows towarów zamiast $n"
  rm -rf "$dir" "$WORK/list.tsv"
done

for n in ${LABEL_SIZES[@]+"${LABEL_SIZES[@]}"}; do
  dir="$WORK/print-$n"
  prepare "$n" "$dir" all
  measure m "$CLI" --data-dir "$dir/data" print --pdf "$dir/job.pdf"
  pages=$(pdf_pages "$dir/job.pdf")
  expected=$(((n + LABELS_PER_PAGE - 1) / LABELS_PER_PAGE))
  [ "${pages:-0}" -eq "$expected" ] || die "print: ${pages:-?} stron zamiast $expected dla $n etykiet"
  row "print --pdf (30x20.etk)" "$n" "$m" "$pages pages, $(file_mb "$dir/job.pdf") MB"
  rm -rf "$dir"
done
