#!/usr/bin/env python3
"""Has LibreOffice Calc headless, under the zh-CN locale, rank the 6,763 Chinese characters of
GB2312 (each one's rank is the count of characters it finds smaller), checks that every pair of
neighbours in that order compares as "<" (or "=" where the ranks tie) and that sampled pairs agree
with their ranks, and writes platform/sheet/data/pinyin_order.txt: one rank a line, characters
LibreOffice finds equal on one line. Run by scripts/make-oracle.sh."""
import pathlib
import random
import sys
import tempfile

import make_oracle

HERE = pathlib.Path(__file__).parent
ORDER_FILE = HERE.parents[2] / "platform" / "sheet" / "data" / "pinyin_order.txt"
LOCALE = "zh-CN"
SAMPLED_PAIRS = 2000


def gb2312_han():
    """The Chinese characters of GB2312 in code order: rows 0xB0-0xF7, level 1 then level 2."""
    chars = []
    for row in range(0xB0, 0xF8):
        for cell in range(0xA1, 0xFF):
            try:
                chars.append(bytes([row, cell]).decode("gb2312"))
            except UnicodeDecodeError:
                pass
    return chars


def compute(name, chars, formulas):
    with tempfile.TemporaryDirectory() as work:
        workbook = pathlib.Path(work) / (name + ".xlsx")
        make_oracle.write_workbook(workbook, {f"A{i}": c for i, c in enumerate(chars, start=1)}, formulas)
        return make_oracle.compute_with_libreoffice(workbook, LOCALE)[: len(formulas)]


def ranks_of(chars):
    last = len(chars)
    values = compute("ranks", chars, [f'COUNTIF(A$1:A${last},"<"&A{i})' for i in range(1, last + 1)])
    return [int(v) for v in values]


def sign(a, b):
    return "<" if a < b else "=" if a == b else ">"


def check_order(ordered, ranks):
    """Neighbours in order and sampled pairs, compared by LibreOffice's own operators."""
    pairs = [(i, i + 1) for i in range(len(ordered) - 1)]
    rng = random.Random(17)
    pairs += [tuple(rng.sample(range(len(ordered)), 2)) for _ in range(SAMPLED_PAIRS)]
    formulas = [f'IF(A{i + 1}<A{j + 1},"<",IF(A{i + 1}>A{j + 1},">","="))' for i, j in pairs]
    answers = compute("check", ordered, formulas)
    wrong = [(ordered[i], ordered[j], got) for (i, j), got in zip(pairs, answers) if got != sign(ranks[i], ranks[j])]
    if wrong:
        sys.exit(f"LibreOffice's order is not one total order; first pairs that disagree: {wrong[:10]}")


def main():
    chars = gb2312_han()
    ranks = ranks_of(chars)
    if ranks[chars.index("张")] < ranks[chars.index("李")]:
        sys.exit(f"LibreOffice did not take the locale {LOCALE}: 张 ranks before 李")
    by_rank = sorted(zip(ranks, chars))
    check_order([c for _, c in by_rank], [r for r, _ in by_rank])
    lines = []
    for i, (rank, char) in enumerate(by_rank):
        if i > 0 and rank == by_rank[i - 1][0]:
            lines[-1] += char
        else:
            lines.append(char)
    ORDER_FILE.parent.mkdir(exist_ok=True)
    ORDER_FILE.write_text("".join(line + "\n" for line in lines), encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
