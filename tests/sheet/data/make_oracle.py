#!/usr/bin/env python3
"""Writes oracle.xlsx (a data block and one formula per row, no cached values), has LibreOffice
Calc compute it headless, and writes oracle.tsv: formula, LibreOffice's value, the value the sheet
must show (Excel's, where LibreOffice departs from it) and why. Run by scripts/make-oracle.sh."""
import csv
import re
import pathlib
import subprocess
import sys
import tempfile
import zipfile
from xml.sax.saxutils import escape

import make_format_oracle

HERE = pathlib.Path(__file__).parent

# A1:A5 = 1, 2, 3, "x", blank; B1:B5 = 10..50; C1:C3 = a, b, a; D1 = 2024-03-15 12:30; D2 = "Straße".
DATA = {
    "A1": 1, "A2": 2, "A3": 3, "A4": "x",
    "B1": 10, "B2": 20, "B3": 30, "B4": 40, "B5": 50,
    "C1": "a", "C2": "b", "C3": "a",
    "D1": 45366.520833333333, "D2": "Straße",
}

# Where LibreOffice and Excel disagree, the sheet follows Excel: formula -> (Excel's value, why).
EXCEL = {
    "0^0": ("#NUM!", "Excel: 0^0 is #NUM!, LibreOffice gives 1"),
    "POWER(0,0)": ("#NUM!", "Excel: 0^0 is #NUM!, LibreOffice gives 1"),
    "\"a\"+1": ("#VALUE!", "LibreOffice's Err:529 is Excel's #VALUE!"),
    "SQRT(-1)": ("#NUM!", "LibreOffice's Err:502 is Excel's #NUM!"),
    "LN(0)": ("#NUM!", "LibreOffice's Err:502 is Excel's #NUM!"),
    "MROUND(-10,3)": ("#NUM!", "LibreOffice's Err:502 is Excel's #NUM!"),
    "SMALL(B1:B5,6)": ("#NUM!", "LibreOffice's Err:502 is Excel's #NUM!"),
    "DATE(2024,3,1)-DATE(2024,3,2)<0": ("TRUE", "same in both; kept to show booleans compare as Excel does"),
    "CHOOSE(4,1,2,3)": ("#VALUE!", "LibreOffice's Err:502 is Excel's #VALUE!"),
    "1E20&\"\"": ("1E+20", "Excel writes two exponent digits, LibreOffice three"),
    "123456789012345678&\"\"": ("1.23456789012346E+17", "Excel writes two exponent digits, LibreOffice three"),
    "DATE(2024,3,1)": ("45352", "LibreOffice shows a DATE result as a date; the serial is the same"),
    "DATE(2024,14,1)": ("45689", "LibreOffice shows a DATE result as a date; the serial is the same"),
    "TIME(12,30,0)": ("0.5208333333", "LibreOffice shows a TIME result as a time; the serial is the same"),
    "A1:A3 B1:B3": ("#NULL!", "Excel: references that share no cell intersect to #NULL!; LibreOffice gives #REF!"),
    "\"2024/1/2\"+0": ("45293", "Excel reads year/month/day text as a date; LibreOffice in English takes only ISO dates"),
    "\"\u00a012\"+0": ("#VALUE!", "Excel takes no non-breaking space for a blank around a number; LibreOffice does"),
    "\"12\u00a0\"+0": ("#VALUE!", "Excel takes no non-breaking space for a blank around a number; LibreOffice does"),
    "SUM(INDEX(A1:A5,2):INDEX({1,2},1))": ("#VALUE!", "LibreOffice's Err:502 is Excel's #VALUE!: a block spans only references"),
    "1234567890123456&\"\"": ("1.23456789012346E+15", "Excel turns a number into text at 15 significant digits; LibreOffice writes all 16"),
}

# Functions newer than Excel 2007 are stored with this prefix, as Excel writes them.
NEWER = ["MAXIFS", "MINIFS", "IFS", "IFNA", "XOR", "SWITCH", "CEILING.MATH", "FLOOR.MATH", "DAYS", "CONCAT", "TEXTJOIN"]


def as_stored(formula):
    for name in NEWER:
        formula = re.sub(r"(?<![A-Z.])" + re.escape(name) + r"\(", "_xlfn." + name + "(", formula)
    return formula

FORMULAS = """
1+2*3
-2^2
2^3^2
0^0
POWER(0,0)
0.1+0.2=0.3
1/3&""
1E20&""
0.000001&""
123456789012345678&""
"1,000"+0
"50%"*2
"2024-03-01"+0
"a"+1
TRUE+0
TRUE()+1
"abc"="ABC"
"ÄÖÜ"="äöü"
SUM(A1:A5)
SUM(A:A)
SUM(2:2)
AVERAGE(A1:A5)
COUNT(A1:A5)
COUNTA(A1:A5)
COUNTBLANK(A1:A5)
MAX(B1:B5)
MIN(B1:B5)
PRODUCT(A1:A3,2)
LARGE(B1:B5,2)
SMALL(B1:B5,6)
MEDIAN(B1:B4)
RANK(20,B1:B5)
RANK(20,B1:B5,1)
SUBTOTAL(9,B1:B5)
SUMPRODUCT(A1:A3,B1:B3)
SUMPRODUCT((C1:C3="a")*B1:B3)
SUMIF(C1:C3,"a",B1:B3)
SUMIF(B1:B5,">25")
SUMIFS(B1:B5,A1:A5,">1",C1:C5,"a")
COUNTIF(C1:C5,"a*")
COUNTIF(A1:A5,"<>x")
COUNTIFS(A1:A5,">=2",B1:B5,"<40")
AVERAGEIF(A1:A5,">1",B1:B5)
MAXIFS(B1:B5,C1:C5,"a")
MINIFS(B1:B5,C1:C5,"b")
ROUND(2.675,2)
ROUND(-2.5,0)
ROUND(1234.5,-2)
ROUNDUP(1.21,1)
ROUNDDOWN(-1.29,1)
MROUND(10,3)
MROUND(-10,3)
INT(-1.5)
TRUNC(-8.9)
MOD(-3,2)
MOD(3,-2)
ABS(-3)
SIGN(-3)
SQRT(16)
SQRT(-1)
CEILING(2.5,1)
FLOOR(2.5,2)
CEILING.MATH(-2.5)
FLOOR.MATH(-2.5)
EXP(1)
LN(10)
LN(0)
LOG(8,2)
LOG10(1000)
PI()
SIN(1)
COS(1)
TAN(1)
RADIANS(180)
DEGREES(1)
ROUND(MAX((12000-5000)*{0.03,0.1,0.2}-{0,210,1410},0),2)
MAX((B1:B3-15)*{1;1;2})
IF(A1>2,"y","n")
IFS(A1>1,"a",A2>1,"b")
IFERROR(1/0,"bad")
IFNA(NA(),"none")
AND(TRUE,1)
OR(FALSE,0)
NOT(0)
XOR(TRUE,TRUE,TRUE)
CHOOSE(2,"a","b","c")
CHOOSE(4,1,2,3)
SWITCH(A2,1,"one",2,"two","many")
VLOOKUP(2,A1:B5,2,FALSE)
VLOOKUP(2.5,A1:B3,2)
VLOOKUP(9,A1:B3,2,FALSE)
HLOOKUP(20,B2:B3,2,FALSE)
LOOKUP(2.5,A1:A3,B1:B3)
MATCH(30,B1:B5,0)
MATCH(35,B1:B5)
MATCH("b*",C1:C3,0)
INDEX(B1:B5,4)
INDEX(A1:B3,2,2)
ROWS(A1:B5)
COLUMNS(A1:B5)
COLUMN(C7)
CONCATENATE("工","资",1)
LEFT("工资表",2)
RIGHT("工资表")
MID("工资表",2,5)
LEN("工资表")
LEN(D2)
TRIM("  a   b ")
UPPER("abc")
LOWER("ABC")
PROPER("hello world")
SUBSTITUTE("a-b-c","-","+",2)
REPLACE("工资表",2,1,"X")
FIND("资","工资表")
SEARCH("?c","abcd")
TEXT(1234.5,"#,##0.00")
TEXT(D1,"yyyy-mm-dd hh:mm")
TEXT(0.256,"0.0%")
VALUE("1,234.5")
REPT("ab",3)
EXACT("a","A")
FIXED(1234.567,1)
T(A4)
N(A1)
DATE(2024,3,1)
DATE(2024,14,1)
YEAR(D1)
MONTH(D1)
DAY(D1)
HOUR(D1)
MINUTE(D1)
TIME(12,30,0)
EDATE(DATE(2024,1,31),1)
EOMONTH(DATE(2024,2,10),0)
DATEDIF(DATE(2020,5,20),DATE(2024,3,15),"y")
DATEDIF(DATE(2020,5,20),DATE(2024,3,15),"m")
DATEDIF(DATE(2020,5,20),DATE(2024,3,15),"md")
WEEKDAY(DATE(2024,3,15))
WEEKDAY(DATE(2024,3,17),2)
DAYS(DATE(2024,3,15),DATE(2024,3,1))
NETWORKDAYS(DATE(2024,3,1),DATE(2024,3,31))
ISBLANK(A5)
ISNUMBER(A4)
ISTEXT(A4)
ISERROR(1/0)
ISERR(NA())
ISNA(NA())
ISLOGICAL(TRUE)
SUMPRODUCT((B1:B3-15)*{1;1;2})
SUM(-A1:A3)
SUM(A1:B3 B2:B5)
A1:A3 B1:B3
SUM((A1:A3,B1:B2))
COUNT((A1:A5,B1:B5))
AVERAGE(A1,,A2)
COUNT(1,,2)
MAX(,-1)
INT((0.1+0.7)*10)
INT(1.15*100)
TRUNC((0.1+0.7)*10)
ROUNDDOWN((0.1+0.7)*10,0)
MOD(12345678901234,7)
MOD(1E15+1,2)
MOD(-7,1E15)
"ä"<"b"
"Äb"="äB"
"é"<"f"
"a"<"B"
"10"<"9"
MONTH("1/2"+0)*100+DAY("1/2"+0)
YEAR("1/2"+0)=YEAR(TODAY())
"2024/1/2"+0
" 12"+0
" 12"+0
"12 "+0
1234567890123456&""
123456789012345.6&""
0.1+0.2&""
SUM(INDEX(A1:B5,0,2))
ROW(INDEX(B1:B5,3))
SUM(INDEX(A1:B5,2,0))
INDEX(A1:B5,0,2)
INDEX({1,2;3,4},0,2)
SUM(INDEX({1,2;3,4},0,2))
SUM(INDEX(A1:A5,2):A4)
SUM(INDEX(B1:B5,2):INDEX(B1:B5,4))
SUM(INDEX(B1:B5,4):INDEX(B1:B5,2))
SUM(A1:INDEX(B1:B5,3))
ROWS(INDEX(A1:A5,2):A4)
COLUMNS(A1:INDEX(A1:D1,1,3))
COUNT(B2:INDEX(B1:B5,5))
AVERAGE(INDEX(A1:B5,1,2):INDEX(A1:B5,2,2))
MATCH(30,B1:INDEX(B1:B5,5),0)
SUM((INDEX(A1:A5,1):A2))
SUM(INDEX(A1:A5,2):C3)
INDEX(B1:INDEX(B1:B5,3),2)
SUM(INDEX(A1:A5,2):INDEX({1,2},1))
COUNTIF(C1:C3,"~a")
COUNTIF(C1:C3,"~b*")
COUNTIF(C1:C3,"<>~2")
COUNTIF(C1:C3,"~*")
""".strip().splitlines()

# The same engine in a workbook saved with 1904 dates: serial 0 is 1904-01-01 there, so date texts,
# date functions and date formats all count from that day. D1 = 2024-03-15 12:30, D2 = 2024-03-01,
# D3 = 2023-12-02, as 1904 serials.
DATA_1904 = {"D1": 43904.520833333333, "D2": 43890, "D3": 43800}

FORMULAS_1904 = """
DATEVALUE("2024-03-15")
DATEVALUE("2024/3/15 18:00")
TIMEVALUE("2024-03-15 18:00")
"2024-03-15"+0
"2024/3/15 12:00"*1
-"1904-01-02"
DATEVALUE("1903-12-31")
DATEVALUE("1904-01-01")
DATE(1904,1,1)
DATE(2024,3,15)
DATE(1903,12,31)
YEAR("2024-03-15")*10000+MONTH("2024-03-15")*100+DAY("2024-03-15")
YEAR(D1)*10000+MONTH(D1)*100+DAY(D1)
TEXT(D1,"yyyy-mm-dd hh:mm")
TEXT("2024-03-15","yyyy-mm-dd ddd")
TEXT(0,"yyyy-mm-dd")
D1-"2024-03-01"
COUNTIF(D1:D3,">=2024-03-01")
SUMIF(D1:D3,"<2024-03-01")
DATEDIF("2020-05-20",D1,"y")
EDATE("2024-01-31",1)
EOMONTH(D2,0)
DAYS("2024-03-15","2024-03-01")
WEEKDAY("2024-03-15")
VALUE("2024-03-15")
DATEVALUE("x")
DATEVALUE(D2)
TIMEVALUE("25:00")
""".strip().splitlines()

# Where LibreOffice departs from Excel in the 1904 workbook: formula -> (Excel's value, why).
EXCEL_1904 = {
    "DATEVALUE(\"2024/3/15 18:00\")": ("43904", "Excel reads year/month/day text as a date; LibreOffice in English takes only ISO dates"),
    "\"2024/3/15 12:00\"*1": ("43904.5", "Excel reads year/month/day text as a date; LibreOffice in English takes only ISO dates"),
    "DATEVALUE(\"1903-12-31\")": ("#VALUE!", "Excel reads no date text before 1904 in a 1904 workbook; LibreOffice counts back to -1"),
    "DATE(1903,12,31)": ("#NUM!", "Excel has no date before 1904 in a 1904 workbook; LibreOffice counts back to -1"),
    "DATE(1904,1,1)": ("0", "LibreOffice shows a DATE result as a date; the serial is the same"),
    "DATE(2024,3,15)": ("43904", "LibreOffice shows a DATE result as a date; the serial is the same"),
    "DATEVALUE(\"x\")": ("#VALUE!", "LibreOffice's Err:502 is Excel's #VALUE!"),
    "DATEVALUE(D2)": ("#VALUE!", "LibreOffice's Err:502 is Excel's #VALUE!: only a text reads as a date"),
}

# Texts compared as a Chinese system compares them, by pinyin: LibreOffice under the zh-CN locale.
# A1:A6 = the surnames 陈 李 刘 王 张 赵 in pinyin order, B1:B6 = 1..6, A7 blank.
DATA_COLLATION = {f"A{i}": name for i, name in enumerate("陈李刘王张赵", start=1)} | {f"B{i}": i for i in range(1, 7)}

# The first case tells whether LibreOffice took the locale: zhang < li is FALSE by pinyin, TRUE by code point.
LOCALE_CHECK = ("\"张\"<\"李\"", "FALSE")

FORMULAS_COLLATION = """
"张"<"李"
"王"<"张"
"赵">"陈"
"陈"<"刘"
"李"<"刘"
"李四">"李三"
"张三">"张"
"工资表">"工资"
"基本工资">"岗位工资"
"一">"二"
"〇"<"一"
"重"<"中"
"重"<"长"
"行"<"航"
"长"<"张"
"朝"<"潮"
"种"<"中"
"阿"<"啊"
"张"<"a"
"Zhang"<"张"
"1"<"张"
"王五">"王5"
"10"<"9"
"张a"<"张B"
"张A"="张a"
"ABC"="abc"
"A"<"a"
"a"<"A"
"ab"<"Ab"
"é">"e"
"ａ"="a"
"ａ"<"b"
"a"<"ａ"
"Ａ"="ａ"
"张"="張"
"张"<"張"
""<"张"
"张">""
A7=""
A7<"张"
MATCH("孙",A1:A6)
VLOOKUP("钱",A1:B6,2)
LOOKUP("张三",A1:A6,B1:B6)
HLOOKUP("王",{"陈","李","张";1,2,3},2)
MATCH("王",A1:A6,0)
MATCH("ZHANG",{"li","zhang"},0)
SWITCH("Abc","abc","same","other")
COUNTIF(A1:A6,"<张")
COUNTIF(A1:A6,">=李")
COUNTIF(A1:A6,"<>王")
COUNTIF(A1:A6,"<a")
SUMIF(A1:A6,">张",B1:B6)
"转"<"传"
"匙"<"齿"
"刹"<"柴"
"脯"<"腐"
"哦"<"鹅"
"彷"<"门"
"馋"<"禅"
"叨"<"到"
"伺"<"死"
"町"<"听"
"斑"<"班"
"摆"<"百"
"伴"<"办"
"悲"<"杯"
"倍"<"备"
"暗"<"案"
""".strip().splitlines()

# Where the sheet departs from LibreOffice under the zh-CN locale: formula -> (the sheet's value, why).
# Chinese characters follow LibreOffice's own order (platform/sheet/data/pinyin_order.txt, made by
# make_pinyin_order.py); Excel's order is not known for these.
PINYIN_DEPARTS = {
    "\"a\"<\"ａ\"": ("TRUE", "LibreOffice finds neither side smaller yet the texts unequal; "
                    "a sort needs one order: half-width before full-width"),
}

FORMULA_COLUMN = "F"


def cell_xml(ref, value):
    if isinstance(value, str):
        return f'<c r="{ref}" t="inlineStr"><is><t>{escape(value)}</t></is></c>'
    return f'<c r="{ref}"><v>{value!r}</v></c>'


def write_workbook(path, data, formulas, date1904=False):
    rows = {}
    for ref, value in data.items():
        rows.setdefault(int(ref[1:]), []).append(cell_xml(ref, value))
    for i, formula in enumerate(formulas, start=1):
        rows.setdefault(i, []).append(f'<c r="{FORMULA_COLUMN}{i}"><f>{escape(as_stored(formula))}</f></c>')
    sheet_data = "".join(f'<row r="{r}">{"".join(sorted(cells, key=lambda c: c[6]))}</row>' for r, cells in sorted(rows.items()))
    workbook_pr = '<workbookPr date1904="1"/>' if date1904 else ""
    main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
    rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
    pkg = "http://schemas.openxmlformats.org/package/2006/relationships"
    parts = {
        "[Content_Types].xml": '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        "</Types>",
        "_rels/.rels": f'<Relationships xmlns="{pkg}"><Relationship Id="r1" Type="{rel}/officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml": f'<workbook xmlns="{main}" xmlns:r="{rel}">{workbook_pr}<sheets><sheet name="Oracle" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels": f'<Relationships xmlns="{pkg}"><Relationship Id="rId1" Type="{rel}/worksheet" Target="worksheets/sheet1.xml"/></Relationships>',
        "xl/worksheets/sheet1.xml": f'<worksheet xmlns="{main}"><sheetData>{sheet_data}</sheetData></worksheet>',
    }
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n' + text)


# LibreOffice's collator follows the locale of its settings, not the environment's, so a locale is
# set in a throwaway user profile.
PROFILE_LOCALE = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse"><value>{locale}</value></prop></item>
</oor:items>
"""


def compute_with_libreoffice(path, locale=None):
    with tempfile.TemporaryDirectory() as out, tempfile.TemporaryDirectory() as profile:
        options = []
        if locale:
            (pathlib.Path(profile) / "user").mkdir()
            (pathlib.Path(profile) / "user" / "registrymodifications.xcu").write_text(PROFILE_LOCALE.format(locale=locale))
            options = ["-env:UserInstallation=" + pathlib.Path(profile).as_uri()]
        subprocess.run(["soffice", *options, "--headless", "--norestore", "--convert-to",
                        "csv:Text - txt - csv (StarCalc):9,34,76,1,,0,false,true,false,false,false",
                        "--outdir", out, str(path)], check=True, capture_output=True)
        with open(pathlib.Path(out) / (path.stem + ".csv"), encoding="utf-8") as f:
            rows = list(csv.reader(f, delimiter="\t"))
    column = ord(FORMULA_COLUMN) - ord("A")
    return [row[column] if column < len(row) else "" for row in rows]


def write_oracle(name, data, formulas, excel, date1904=False, locale=None, expected="expected (Excel)"):
    workbook = HERE / (name + ".xlsx")
    write_workbook(workbook, data, formulas, date1904)
    values = compute_with_libreoffice(workbook, locale)
    if locale and (formulas[0], values[0]) != LOCALE_CHECK:
        sys.exit(f"LibreOffice did not take the locale {locale}: {formulas[0]} gave {values[0]}")
    with open(HERE / (name + ".tsv"), "w", encoding="utf-8", newline="") as f:
        f.write(f"# row\tformula\tLibreOffice Calc\t{expected}\tnote\n")
        for i, formula in enumerate(formulas, start=1):
            lo = values[i - 1] if i - 1 < len(values) else ""
            expected, note = excel.get(formula, (lo, ""))
            f.write(f"{i}\t{formula}\t{lo}\t{expected}\t{note}\n")


def main():
    write_oracle("oracle", DATA, FORMULAS, EXCEL)
    write_oracle("oracle1904", DATA_1904, FORMULAS_1904, EXCEL_1904, date1904=True)
    write_oracle("collation", DATA_COLLATION, FORMULAS_COLLATION, PINYIN_DEPARTS, locale="zh-CN",
                 expected="expected (the sheet's pinyin)")
    make_format_oracle.main()
    return 0


if __name__ == "__main__":
    sys.exit(main())
