"""Checks with python3-xlrd the .xls that workbook_win32_test wrote through
Windows' structured storage: the new texts, and the cells it left alone.

  xls_win32_check.py FILE
"""
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1])
first, second = book.sheet_by_index(0), book.sheet_by_index(1)
expected = [
    (first, 2, 3, "12,30"),
    (second, 1, 4, "第二页"),
    (first, 0, 4, "linux 发行版"),
    (first, 1, 4, "7,15"),
    (second, 0, 5, "编程语言-1-20"),
]
wrong = [(s.name, r, c, s.cell_value(r, c), want) for s, r, c, want in expected
         if s.cell_value(r, c) != want]
assert [s.name for s in book.sheets()] == ["www.debian.org", "www.python.org"]
if wrong:
    sys.exit("wrong cells: %r" % wrong)
print("xlrd read %s: 5 cells as written" % sys.argv[1])
