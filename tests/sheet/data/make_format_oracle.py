#!/usr/bin/env python3
"""Writes formats.xlsx (a value per row in column B with a number format, the code as text in
column A), has LibreOffice Calc save it as formats.ods (its own number styles, with conditional
maps for sections) and show it as text, and writes formats.tsv: format code, value, what
LibreOffice shows, what the sheet must show (Excel's, where LibreOffice departs) and why.
Run by make_oracle.py."""
import csv
import pathlib
import shutil
import subprocess
import tempfile
import zipfile
from xml.sax.saxutils import escape, quoteattr

HERE = pathlib.Path(__file__).parent

# (format code, values); every value is shown with the code in both files.
CASES = [
    ("#,##0.00;[Red]-#,##0.00", [1234.5, -1234.5, 0]),
    ("0.00;(0.00)", [1234.5, -1234.5, 0]),
    ("#,##0;-#,##0;\"-\"", [1234.5, -1234.5, 0]),
    ("0.00_ ;-0.00 ", [1234.5, -1234.5, 0]),
    ("#,##0.00 ;[Red](#,##0.00)", [1234.5, -1234.5, 0]),
    ("[Blue]#,##0;[Red]-#,##0;0", [1234.5, -1234.5, 0]),
    ("0.00;[Red]0.00", [1234.5, -1234.5]),
    ("#,##0.00\"元\";-#,##0.00\"元\"", [1234.5, -1234.5]),
    ("[>=1000]#,##0,\"K\";0", [123456, 999]),
    ("#,##0.0,", [1234567, 999, -1500]),
    ("0.00,,\"M\"", [12345678]),
    ("#,##0,", [999, 1500]),
    ("# ?/?", [5.25, 5, 0.5, -1.75, 0, 0.01]),
    ("# ??/??", [3.14159, 2]),
    ("?/?", [0.75]),
    ("?/??", [0.3333333]),
    ("# ??/??", [0.5]),
    ("# ?/4", [2.3]),
    ("yyyy-mm-dd", [45366.5208333333, -1, 3000000]),
    ("h:mm", [0.75, -0.5]),
    ("[h]:mm:ss", [1.5]),
    ("yyyy/m/d h:mm", [45366.5208333333]),
    ("mmm-yy", [45366]),
    ("General", [0.00001, 1e-10, 0.000123456789, 123456789012, 1234567890123, 0.1, 1.5e-7, -0.00001234, 1.23456789e-8,
                 1e15, 1e-9, 0.30000000000000004, 2.5e-9, 123.456789012345]),
    ("[$-804]yyyy\"年\"m\"月\"d\"日\"", [45366]),
    ("[$¥-804]#,##0.00", [1234.5, -1234.5]),
    ("[$-409]mmmm d, yyyy", [45366]),
    ("#,##0.00 [$€-407]", [1234.5]),
    ("[$-804]h\"时\"mm\"分\"", [0.5208333333]),
    ("0.0%", [0.256]),
    ("0.00E+00", [0.000123, 123456]),
    ("000000", [123]),
    ("0.00;-0.00;0.00;\"文字\"@", [1.5]),
    ("[DBNum1][$-804]General", [1234, 10, 1015, 0, 12.5, 100000, 120000000, -35, 20305, 110, 1000010]),
    ("[DBNum1][$-804]0", [1234, 1234.6]),
]

# Where LibreOffice and Excel disagree, the sheet follows Excel: (code, value) -> (Excel's text, why).
EXCEL = {
    ("yyyy-mm-dd", -1): ("###########", "Excel fills a cell with # when a date is negative; LibreOffice counts back from 1899-12-30"),
    ("yyyy-mm-dd", 3000000): ("###########", "Excel fills a cell with # past 9999-12-31; LibreOffice goes on counting"),
    ("General", 123.456789012345): ("123.456789", "Excel's General shows at most 10 significant digits; LibreOffice's text export writes 15"),
    ("General", 1e15): ("1E+15", "Excel's General writes numbers of more than 15 digits with an exponent"),
    ("[$-804]h\"时\"mm\"分\"", 0.5208333333): ("12时30分", "Excel rounds a time to the second before it shows it; LibreOffice cuts off"),
    ("h:mm", -0.5): ("###########", "Excel fills a cell with # for a negative time; LibreOffice shows the time of day"),
    ("[DBNum1][$-804]General", 1015): ("一千零一十五", "Excel writes a zero inside a number as 零; LibreOffice as 〇"),
    ("[DBNum1][$-804]General", 20305): ("二万零三百零五", "Excel writes a zero inside a number as 零; LibreOffice as 〇"),
    ("[DBNum1][$-804]General", 1000010): ("一百万零一十", "Excel writes a zero inside a number as 零; LibreOffice as 〇"),
    ("[DBNum1][$-804]General", 12.5): ("一十二.五", "Excel keeps the ASCII decimal point; LibreOffice writes the full-width one"),
}


def cells():
    for code, values in CASES:
        for value in values:
            yield code, value


def write_workbook(path):
    codes = list(dict.fromkeys(code for code, _ in CASES))
    num_fmts = "".join(f'<numFmt numFmtId="{164 + i}" formatCode={quoteattr(code)}/>' for i, code in enumerate(codes))
    xfs = '<xf numFmtId="0" fontId="0" fillId="0" borderId="0"/>' + "".join(
        f'<xf numFmtId="{164 + i}" fontId="0" fillId="0" borderId="0" applyNumberFormat="1"/>' for i in range(len(codes)))
    styles = (f'<styleSheet xmlns="{MAIN}"><numFmts count="{len(codes)}">{num_fmts}</numFmts>'
              '<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>'
              '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
              '<borders count="1"><border/></borders>'
              '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
              f'<cellXfs count="{len(codes) + 1}">{xfs}</cellXfs></styleSheet>')
    rows = []
    for r, (code, value) in enumerate(cells(), start=1):
        style = codes.index(code) + 1
        rows.append(f'<row r="{r}"><c r="A{r}" t="inlineStr"><is><t xml:space="preserve">{escape(code)}</t></is></c>'
                    f'<c r="B{r}" s="{style}"><v>{value!r}</v></c></row>')
    # Wide columns, so that LibreOffice shows every value rather than "###".
    sheet = f'<worksheet xmlns="{MAIN}"><cols><col min="1" max="2" width="60" customWidth="1"/></cols><sheetData>{"".join(rows)}</sheetData></worksheet>'
    parts = {
        "[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        "</Types>",
        "_rels/.rels": f'<Relationships xmlns="{PKG}"><Relationship Id="r1" Type="{REL}/officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml": f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets><sheet name="Formats" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels": f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" Type="{REL}/worksheet" Target="worksheets/sheet1.xml"/>'
        f'<Relationship Id="rId2" Type="{REL}/styles" Target="styles.xml"/></Relationships>',
        "xl/styles.xml": styles,
        "xl/worksheets/sheet1.xml": sheet,
    }
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n' + text)


MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"


def convert(path, target, out):
    subprocess.run(["soffice", "--headless", "--norestore", "--convert-to", target, "--outdir", str(out), str(path)],
                   check=True, capture_output=True)


def main():
    workbook = HERE / "formats.xlsx"
    write_workbook(workbook)
    with tempfile.TemporaryDirectory() as out:
        out = pathlib.Path(out)
        convert(workbook, "ods", out)
        shutil.copy(out / "formats.ods", HERE / "formats.ods")
        # Tab-separated, UTF-8, cells as shown.
        convert(workbook, "csv:Text - txt - csv (StarCalc):9,34,76,1,,0,false,true,true,false,false", out)
        with open(out / "formats.csv", encoding="utf-8") as f:
            shown = [row[1] if len(row) > 1 else "" for row in csv.reader(f, delimiter="\t")]
    with open(HERE / "formats.tsv", "w", encoding="utf-8", newline="") as f:
        f.write("# row\tformat\tvalue\tLibreOffice Calc\texpected (Excel)\tnote\n")
        for r, (code, value) in enumerate(cells(), start=1):
            lo = shown[r - 1]
            expected, note = EXCEL.get((code, value), (lo, ""))
            f.write(f"{r}\t{code}\t{value!r}\t{lo}\t{expected}\t{note}\n")


if __name__ == "__main__":
    main()
