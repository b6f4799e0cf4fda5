"""Writes export_month.tsv: the formula cells of the demo month's export as LibreOffice Calc computes
them. The export's cached values are stripped first, so that every number comes from LibreOffice's
own recalculation. Usage: make_export_oracle.py <export_demo_month program>"""
import csv
import pathlib
import re
import subprocess
import sys
import tempfile
import zipfile

HERE = pathlib.Path(__file__).resolve().parent
SHEET = "xl/worksheets/sheet1.xml"
FORMULA_CELL = re.compile(r'<c r="([A-Z]+)([0-9]+)"[^>]*><f>[^<]*</f>')
CACHED_VALUE = re.compile(r"(<f>[^<]*</f>)<v>[^<]*</v>")


def without_cached_values(source, target):
    with zipfile.ZipFile(source) as zin, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as zout:
        for item in zin.infolist():
            data = zin.read(item.filename)
            if item.filename == SHEET:
                data = CACHED_VALUE.sub(r"\1", data.decode("utf-8")).encode("utf-8")
            zout.writestr(item, data)


def formula_cells(path):
    with zipfile.ZipFile(path) as z:
        return [(letters, int(row)) for letters, row in FORMULA_CELL.findall(z.read(SHEET).decode("utf-8"))]


def column_index(letters):
    index = 0
    for letter in letters:
        index = index * 26 + ord(letter) - ord("A") + 1
    return index - 1


def computed_rows(path):
    with tempfile.TemporaryDirectory() as out:
        subprocess.run(["soffice", "--headless", "--norestore", "--convert-to",
                        "csv:Text - txt - csv (StarCalc):9,34,76,1,,0,false,true,false,false,false",
                        "--outdir", out, str(path)], check=True, capture_output=True)
        with open(pathlib.Path(out) / (path.stem + ".csv"), encoding="utf-8") as f:
            return list(csv.reader(f, delimiter="\t"))


def main():
    with tempfile.TemporaryDirectory() as work:
        exported = pathlib.Path(work) / "export.xlsx"
        stripped = pathlib.Path(work) / "stripped.xlsx"
        subprocess.run([sys.argv[1], str(exported)], check=True)
        without_cached_values(exported, stripped)
        rows = computed_rows(stripped)
        with open(HERE / "export_month.tsv", "w", encoding="utf-8", newline="") as f:
            f.write("# cell\tLibreOffice Calc's value of the demo month's export, its cached values removed\n")
            for letters, row in formula_cells(exported):
                value = rows[row - 1][column_index(letters)]
                if value == "":
                    sys.exit(f"LibreOffice computed nothing for {letters}{row}")
                f.write(f"{letters}{row}\t{value}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
