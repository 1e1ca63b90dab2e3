#!/usr/bin/python3
"""Writes the example keyword workbook 关键字.xls beside this script.

Two worksheets, one per target site; the header row holds the three fixed
columns and the keywords; one older row shows what the tool's history looks
like. Run once with Debian's python3-xlwt; the file is kept in the repository.
"""
import os
import sys

import xlwt

HEADER = ["日期", "时间", "搜索引擎"]

SITES = {
    "www.debian.org": ["debian", "linux 发行版", "apt 软件包管理-0-30"],
    "www.python.org": ["python", "python 教程", "编程语言-1-20"],
}

# One earlier day, as the tool itself writes it: ranks, "?" for not found.
HISTORY = {
    "www.debian.org": ["2026/12/01", "09:00:00", "百度", "1", "7,15", "?"],
    "www.python.org": ["2026/12/01", "09:00:00", "百度", "1", "?", "3"],
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "关键字.xls")
    book = xlwt.Workbook(encoding="utf-8")
    for site, keywords in SITES.items():
        sheet = book.add_sheet(site)
        for col, name in enumerate(HEADER + keywords):
            sheet.write(0, col, name)
            sheet.col(col).width = 256 * 16
        for col, value in enumerate(HISTORY[site]):
            sheet.write(1, col, value)
    book.save(out)
    print(out)


if __name__ == "__main__":
    main()
