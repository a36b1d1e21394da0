#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed companion
# on the installed demonstration shop, as a new machine would: update, mark,
# print to PDF. Then checks the desktop entry and the AppStream file.
#   test_install.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

cli=$prefix/bin/prandel-etykiet-cli
test -x "$prefix/bin/prandel-etykiet"
test -f "$prefix/share/prandel-etykiet/DEMO/TOWARY.DBF"
test -f "$prefix/share/prandel-etykiet/help/index.html"
test -x "$prefix/share/prandel-etykiet/tools/serwer-towarow.sh"
for size in 16 32 48 64 128 256; do test -f "$prefix/share/icons/hicolor/${size}x${size}/apps/prandel-etykiet.png"; done
test -f "$prefix/share/icons/hicolor/scalable/apps/prandel-etykiet.svg"

# No variable points at the program folder: the installed companion finds it
# beside itself.
unset PRANDEL_PROGRAM_DIR
export XDG_RUNTIME_DIR=$work
data=$work/data
out=$("$cli" --data-dir "$data" update --definition "Sklep demonstracyjny")
[ "$out" = "Liczba zmienionych pozycji: 60" ] || { echo "update: $out" >&2; exit 1; }
"$cli" --data-dir "$data" goods select --check-type 1
"$cli" --data-dir "$data" print --pdf "$work/etykiety.pdf"
pages=$(pdfinfo "$work/etykiety.pdf" | awk '/^Pages:/ {print $2}')
[ "$pages" = 1 ] || { echo "pages: $pages" >&2; exit 1; }
printed=$("$cli" --data-dir "$data" goods list --view 4 | tail -n +2 | wc -l)
[ "$printed" = 60 ] || { echo "printed: $printed" >&2; exit 1; }

desktop-file-validate "$prefix/share/applications/prandel-etykiet.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/prandel-etykiet.metainfo.xml" >/dev/null
echo "installed program works"
