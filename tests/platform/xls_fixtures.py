"""Workbooks for the .xls tests, made and read by independent libraries.

  xls_fixtures.py make DIR   writes DIR/book.xls with xlwt
  xls_fixtures.py dump FILE  prints every cell, its font and format, the
                             column widths and merged ranges, read with xlrd
"""
import datetime
import sys

import xlrd
import xlwt


def make(folder):
    book = xlwt.Workbook(encoding="utf-8")
    bold = xlwt.easyxf("font: bold on, height 280")
    date = xlwt.easyxf(num_format_str="yyyy/mm/dd")
    decimal = xlwt.easyxf(num_format_str="0.00")

    sheet = book.add_sheet("百度.com")
    for col, name in enumerate(["日期", "时间", "搜索引擎", "手机", "电脑-1-50"]):
        sheet.write(0, col, name, bold)
    sheet.write(1, 0, datetime.date(2024, 3, 5), date)
    sheet.write(1, 1, "08:30:00")
    sheet.write(1, 2, "Baidu")
    sheet.write(1, 3, 42)
    sheet.write(1, 4, 3.25, decimal)
    sheet.write(2, 0, "2024/03/06")
    sheet.write(2, 2, "Google")
    sheet.write(2, 3, -7)
    sheet.write(2, 4, 1234567.891)
    sheet.write(3, 3, xlwt.Formula("D2*2"))
    sheet.write(3, 4, xlwt.Formula('"ab"&"cd"'))
    sheet.write(4, 0, True)
    sheet.write_merge(5, 5, 0, 2, "merged", bold)
    sheet.col(0).width = 5000
    sheet.col(3).width = 7000

    sheet = book.add_sheet("Long")
    sheet.write(0, 0, "x" * 9000)
    sheet.write(1, 0, "长" * 5000)
    sheet.write(2, 0, "é" * 300)
    for row in range(3, 2003):
        sheet.write(row, 0, "string %d" % row)
        sheet.write(row, 1, row * 0.5)

    sheet = book.add_sheet("Other")
    sheet.write(0, 0, "untouched", bold)
    sheet.col(1).width = 3000
    book.save(folder + "/book.xls")


def dump(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    for sheet in book.sheets():
        print("sheet %s %d %d" % (sheet.name, sheet.nrows, sheet.ncols))
        for col, info in sorted(sheet.colinfo_map.items()):
            print("%s!col %d width=%d" % (sheet.name, col, info.width))
        for rlo, rhi, clo, chi in sheet.merged_cells:
            print("%s!merged %d %d %d %d" % (sheet.name, rlo, rhi, clo, chi))
        for row in range(sheet.nrows):
            for col in range(sheet.row_len(row)):
                cell = sheet.cell(row, col)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                xf = book.xf_list[cell.xf_index]
                font = book.font_list[xf.font_index]
                print("%s!%d,%d=%d:%r font=%s,%d,%d fmt=%s" % (
                    sheet.name, row, col, cell.ctype, cell.value, font.name, font.bold,
                    font.height, book.format_map[xf.format_key].format_str))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        dump(sys.argv[2])
