#!/usr/bin/env bash
# Takes the README's and the help pages' pictures from the real program on
# the demonstration shop, under Xvfb, and a printed page of labels from the
# companion:  tools/screenshots.sh [OUTPUT_FOLDER]   (default docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
build=${BUILD_DIR:-build}
cmake --build "$build" --target prandel-screenshots prandel-etykiet-cli >/dev/null
mkdir -p "$out"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x900x24" "$build/tools/screenshots/prandel-screenshots" "$out"

# A page of labels as the companion prints it into a PDF.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cli="$build/src/cli/prandel-etykiet-cli"
"$cli" --data-dir "$work/data" update --definition "Sklep demonstracyjny" >/dev/null
"$cli" --data-dir "$work/data" goods select --check-type 0 >/dev/null
"$cli" --data-dir "$work/data" print --pdf "$work/etykiety.pdf"
pdftoppm -png -r 100 -f 1 -l 1 -singlefile "$work/etykiety.pdf" "$out/pdf-page"
echo "$out/pdf-page.png"

# One label of a roll, as the PDF printer set up as a roll writes it: the
# fourth good has an EAN-13.
printf '[PRINTER PDF]\nROLL=1\n' >>"$work/data/settings.ini"
"$cli" --data-dir "$work/data" print --pdf "$work/rolka.pdf"
pdftoppm -png -r 300 -f 4 -l 4 -singlefile "$work/rolka.pdf" "$out/roll-label"
echo "$out/roll-label.png"

# A label with both codes, the EAN-13 and the Digital Link QR, from the
# shipped layout.
"$cli" --data-dir "$work/data" render --layout data/LABELS/30x20-qr.etk --png "$out/label-2d.png" --dpi 300 \
  --name "Masło ekstra 200 g" --price 7.49 --unit-price "37,45 zł/kg" --barcode 5901234123457 --type 14
echo "$out/label-2d.png"

# The help pages show the windows they describe.
if [ "$out" = docs/screenshots ]; then
  for name in main marked preview record login password designer configuration database roll-label label-2d; do
    cp "$out/$name.png" data/help/img/
  done
fi
