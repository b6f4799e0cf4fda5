#!/usr/bin/env bash
# Regenerates tests/sheet/data/oracle.xlsx and oracle.tsv: formulas computed by LibreOffice Calc
# headless (libreoffice-calc-nogui, needed here only; the tests read the stored results), and
# platform/sheet/data/pinyin_order.txt, LibreOffice's order of the GB2312 Chinese characters, and
# tests/sheet/data/export_month.tsv, LibreOffice's values of the demo month as the sheet exports it
# (the export program is built in the build folder, $BUILD_DIR or build).
set -euo pipefail
command -v soffice >/dev/null || { echo "needs soffice: apt-get install libreoffice-calc-nogui" >&2; exit 1; }
root="$(cd "$(dirname "$0")/.." && pwd)"
data="$root/tests/sheet/data"
python3 "$data/make_oracle.py"
python3 "$data/make_pinyin_order.py"
build="${BUILD_DIR:-$root/build}"
cmake --build "$build" -j2 --target export_demo_month
python3 "$data/make_export_oracle.py" "$build/bin/export_demo_month"
