#!/usr/bin/env bash
# Regenerates tests/sheet/data/oracle.xlsx and oracle.tsv: formulas computed by LibreOffice Calc
# headless (libreoffice-calc-nogui, needed here only; the tests read the stored results).
set -euo pipefail
command -v soffice >/dev/null || { echo "needs soffice: apt-get install libreoffice-calc-nogui" >&2; exit 1; }
python3 "$(cd "$(dirname "$0")/.." && pwd)/tests/sheet/data/make_oracle.py"
