"""Independent writers and readers for the workbook tests.

usage: workbook_interop.py make-xlsx|make-xls|dump-xlsx|dump-xls|make-big-xlsx|make-big-xls PATH

make-*: a keyword workbook with two sheets, formatting, a date cell, numbers
and a formula (openpyxl for .xlsx, xlwt for .xls).
dump-*: the workbook as JSON on stdout (openpyxl / xlrd): sheet names, the
cells of every sheet, and a few formatting facts of the first sheet.
make-big-*: one sheet "data", 1500 rows x 12 columns of "0" under a header.
"""
import datetime
import json
import sys

HEADER = ["日期", "时间", "搜索引擎", "手机壳", "蓝牙耳机-1-50"]


def make_xlsx(path):
    import openpyxl
    from openpyxl.styles import Font

    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "www.shop.com"
    ws.append(HEADER)
    ws.append(["2026/12/07", "06:00:00", "Google", 2.5, "?"])
    ws.append([datetime.datetime(2026, 12, 8), "06:00:00", "百度", None, 9])
    ws["A3"].number_format = "yyyy/mm/dd"
    ws["A1"].font = Font(bold=True)
    ws.column_dimensions["D"].width = 30
    other = wb.create_sheet("第二页")
    other["A1"] = "保留"
    other["B2"] = 2.5
    other["C3"] = "=1+2"
    wb.save(path)


def make_xls(path):
    import xlwt

    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("www.shop.com")
    bold = xlwt.easyxf("font: bold on")
    for col, name in enumerate(HEADER):
        ws.write(0, col, name, bold if col == 0 else xlwt.Style.default_style)
    for col, value in enumerate(["2026/12/07", "06:00:00", "Google", 2.5, "?"]):
        ws.write(1, col, value)
    ws.write(2, 0, datetime.datetime(2026, 12, 8), xlwt.easyxf(num_format_str="yyyy/mm/dd"))
    ws.write(2, 1, "06:00:00")
    ws.write(2, 2, "百度")
    ws.write(2, 4, 9)
    ws.col(3).width = 256 * 30
    other = wb.add_sheet("第二页")
    other.write(0, 0, "保留")
    other.write(1, 1, 2.5)
    other.write(2, 2, xlwt.Formula("1+2"))
    wb.save(path)


def make_big(path, xlsx):
    header = ["c%d" % c for c in range(12)]
    if xlsx:
        import openpyxl

        wb = openpyxl.Workbook()
        ws = wb.active
        ws.title = "data"
        ws.append(header)
        for _ in range(1499):
            ws.append(["0"] * 12)
        wb.save(path)
    else:
        import xlwt

        wb = xlwt.Workbook(encoding="utf-8")
        ws = wb.add_sheet("data")
        for col, name in enumerate(header):
            ws.write(0, col, name)
        for row in range(1, 1500):
            for col in range(12):
                ws.write(row, col, "0")
        wb.save(path)


def value_text(value):
    if isinstance(value, datetime.datetime):
        return value.strftime("%Y-%m-%d")
    if isinstance(value, float) and value.is_integer():
        return int(value)
    if value == "":
        return None
    return value


def trimmed(rows):
    rows = [list(r) for r in rows]
    for r in rows:
        while r and r[-1] in (None, ""):
            r.pop()
    while rows and not rows[-1]:
        rows.pop()
    return rows


def dump_xlsx(path):
    import openpyxl

    wb = openpyxl.load_workbook(path)
    out = {"sheets": wb.sheetnames, "cells": {}}
    for ws in wb.worksheets:
        rows = [[value_text(c.value) for c in row] for row in ws.iter_rows()]
        out["cells"][ws.title] = trimmed(rows)
    first = wb.worksheets[0]
    out["bold_A1"] = bool(first["A1"].font.bold)
    out["width_D"] = first.column_dimensions["D"].width
    out["date_A3"] = first["A3"].is_date
    print(json.dumps(out, ensure_ascii=False, sort_keys=True))


def dump_xls(path):
    import xlrd

    book = xlrd.open_workbook(path, formatting_info=True)
    out = {"sheets": book.sheet_names(), "cells": {}}
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_DATE:
                    row.append(value_text(xlrd.xldate.xldate_as_datetime(cell.value, book.datemode)))
                else:
                    row.append(value_text(cell.value))
            rows.append(row)
        out["cells"][sheet.name] = trimmed(rows)
    first = book.sheet_by_index(0)
    font = book.font_list[book.xf_list[first.cell_xf_index(0, 0)].font_index]
    out["bold_A1"] = bool(font.bold)
    out["width_D"] = first.colinfo_map[3].width / 256 if 3 in first.colinfo_map else None
    out["date_A3"] = first.cell(2, 0).ctype == xlrd.XL_CELL_DATE
    print(json.dumps(out, ensure_ascii=False, sort_keys=True))


def main():
    command, path = sys.argv[1], sys.argv[2]
    {
        "make-xlsx": make_xlsx,
        "make-xls": make_xls,
        "dump-xlsx": dump_xlsx,
        "dump-xls": dump_xls,
        "make-big-xlsx": lambda p: make_big(p, True),
        "make-big-xls": lambda p: make_big(p, False),
    }[command](path)


if __name__ == "__main__":
    main()
