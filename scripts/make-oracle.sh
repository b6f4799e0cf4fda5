#!/usr/bin/env bash
# Regenerates tests/sheet/data/oracle.xlsx and oracle.tsv: formulas computed by LibreOffice Calc
# headless (libreoffice-calc-nogui, needed here only; the tests read the stored results), and
# platform/sheet/data/pinyin_order.txt, LibreOffice's order of the GB2312 Chinese characters.
set -euo pipefail
command -v soffice >/dev/null || { echo "needs soffice: apt-get install libreoffice-calc-nogui" >&2; exit 1; }
data="$(cd "$(dirname "$0")/.." && pwd)/tests/sheet/data"
python3 "$data/make_oracle.py"
python3 "$data/make_pinyin_order.py"
