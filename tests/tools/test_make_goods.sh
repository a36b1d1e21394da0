#!/usr/bin/env bash
# tools/make_goods.py on a small count: the dBase table it writes passes its
# own --verify, a damaged copy does not, and the companion takes every good in
# (update) with the asked number marked, listing them in name order, from the
# table and from the same goods exported as CSV alike.
#
#   test_make_goods.sh SOURCE_DIR COMPANION
set -euo pipefail
src=${1:?source folder}
cli=${2:?companion}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "BŁĄD: $*" >&2; exit 1; }

gen="$src/tools/make_goods.py"
python3 "$gen" --count 500 --seed 7 --out "$work/shop" --data-dir "$work/data" --mark 120 --cli "$cli" >/dev/null
python3 "$gen" --verify "$work/shop/TOWARY.DBF" >/dev/null || fail "--verify odrzuciło dobrą tabelę"

# A table cut short is caught.
head -c 4000 "$work/shop/TOWARY.DBF" >"$work/cut.dbf"
if python3 "$gen" --verify "$work/cut.dbf" >/dev/null 2>&1; then fail "--verify przyjęło uciętą tabelę"; fi

"$cli" --data-dir "$work/data" goods list >"$work/all.tsv"
"$cli" --data-dir "$work/data" goods list --view 2 >"$work/marked.tsv"
[ $(($(wc -l <"$work/all.tsv") - 1)) -eq 500 ] || fail "goods list: $(($(wc -l <"$work/all.tsv") - 1)) towarów zamiast 500"
[ $(($(wc -l <"$work/marked.tsv") - 1)) -eq 120 ] || fail "zaznaczonych $(($(wc -l <"$work/marked.tsv") - 1)) zamiast 120"

# Every generated barcode arrived, each once.
python3 - "$work/shop/TOWARY.DBF" "$work/all.tsv" "$gen" <<'PY' || fail "kody w tabeli towarów różnią się od wygenerowanych"
import csv, os, sys
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(sys.argv[3])))
import make_goods as mg
fields, records, rows = mg.read_dbf(sys.argv[1])
generated = sorted(r["KOD"] for r in rows)
with open(sys.argv[2], encoding="utf-8", newline="") as f:
    listed = list(csv.reader(f, delimiter="\t", quoting=csv.QUOTE_NONE))
col = listed[0].index("KODKRESKOWY")
got = sorted(r[col] for r in listed[1:])
sys.exit(0 if got == generated else 1)
PY

# The same seed as a CSV export holds the same goods as the table.
python3 "$gen" --count 500 --seed 7 --format csv --out "$work/csv" >/dev/null
python3 - "$work/shop/TOWARY.DBF" "$work/csv/TOWARY.CSV" "$gen" <<'PY' || fail "eksport CSV różni się od tabeli dBase"
import csv, os, sys
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(sys.argv[3])))
import make_goods as mg
fields, records, rows = mg.read_dbf(sys.argv[1])
with open(sys.argv[2], encoding="cp1250", newline="") as f:
    exported = list(csv.DictReader(f, delimiter=";"))
sys.exit(0 if exported == list(rows) else 1)
PY

# Taken in from the CSV export by a definition of CSV files, the same goods
# and marks give the same goods list as from the dBase table.
python3 "$gen" --count 500 --seed 7 --format csv --out "$work/csv" --data-dir "$work/data-csv" --mark 120 --cli "$cli" >/dev/null
grep -q '^TYPE=6' "$work/data-csv/SQLCFG/Towary testowe.cdb" || fail "definicja eksportu CSV nie ma TYPE=6"
"$cli" --data-dir "$work/data-csv" goods list >"$work/all-csv.tsv"
"$cli" --data-dir "$work/data-csv" goods list --view 2 >"$work/marked-csv.tsv"
cmp -s "$work/all.tsv" "$work/all-csv.tsv" || fail "towary z eksportu CSV różnią się od towarów z tabeli dBase"
cmp -s "$work/marked.tsv" "$work/marked-csv.tsv" || fail "zaznaczone towary z eksportu CSV różnią się od tych z tabeli dBase"
