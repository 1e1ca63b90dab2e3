"""The keyword-workbook benchmark's Python side.

usage: openpyxl_workbook.py make-xlsx|make-xls PATH SHEETS ROWS COLUMNS
       openpyxl_workbook.py edit-xlsx PATH
       openpyxl_workbook.py compare-xlsx PATH_A PATH_B

make-*: a keyword workbook of SHEETS sheets, each with a header row
("日期", "时间", "搜索引擎", keywords) and ROWS-1 rows that alternate between
the engines "百度" and "Google", two rows a day, the last day being the run
day 2026/12/08 (only "百度" has a row for it, half of its keyword cells
empty). openpyxl writes the .xlsx, xlwt the .xls.

edit-xlsx: what the tool does in one run, done with openpyxl: load; on every
sheet fill the empty keyword cells of "百度"'s day row and set its time, and
append a day row for "Google" with every keyword answered; save.
"""
import datetime
import itertools
import sys

RUN_DAY = datetime.date(2026, 12, 8)
RUN_DAY_TEXT = "2026/12/08"
RUN_TIME_TEXT = "09:05:07"
ENGINES = ["百度", "Google"]


def header(columns):
    return ["日期", "时间", "搜索引擎"] + ["关键字%d-1-50" % k for k in range(columns - 3)]


def data_row(r, rows, columns):
    """Row r (1-based below the header) of every sheet."""
    day = (r - 1) // 2
    last_day = (rows - 2) // 2
    date = RUN_DAY - datetime.timedelta(days=last_day - day)
    engine = ENGINES[(r - 1) % 2]
    values = [date.strftime("%Y/%m/%d"), "08:00:00", engine]
    for k in range(columns - 3):
        if date == RUN_DAY and k % 2 == 1:
            values.append(None)
        else:
            value = (r * 7 + k) % 50
            values.append("?" if value == 0 else value)
    return values


def result_of(engine_index, k):
    """The result the benchmark's engines answer for keyword k."""
    if k % 5 == 4:
        return ""
    return "?" if k % 3 == 0 else "%d,%d" % (k + 1, k + 11 + engine_index)


def make_xlsx(path, sheets, rows, columns):
    import openpyxl

    wb = openpyxl.Workbook(write_only=True)
    for s in range(sheets):
        ws = wb.create_sheet("www.site%d.com" % s)
        ws.append(header(columns))
        for r in range(1, rows):
            ws.append(data_row(r, rows, columns))
    wb.save(path)


def make_xls(path, sheets, rows, columns):
    import xlwt

    wb = xlwt.Workbook(encoding="utf-8")
    for s in range(sheets):
        ws = wb.add_sheet("www.site%d.com" % s)
        for c, name in enumerate(header(columns)):
            ws.write(0, c, name)
        for r in range(1, rows):
            for c, value in enumerate(data_row(r, rows, columns)):
                if value is not None:
                    ws.write(r, c, value)
    wb.save(path)


def edit_xlsx(path):
    import openpyxl

    wb = openpyxl.load_workbook(path)
    for ws in wb.worksheets:
        names = [c.value for c in ws[1]]
        keywords = names[3:]
        last = ws.max_row
        for engine_index, engine in enumerate(ENGINES):
            day_row = None
            for r in range(last, 1, -1):
                text = ws.cell(r, 1).value
                try:
                    day = datetime.datetime.strptime(str(text), "%Y/%m/%d").date()
                except ValueError:
                    break
                if day < RUN_DAY:
                    break
                if day == RUN_DAY and ws.cell(r, 3).value == engine:
                    day_row = r
                    break
            if day_row is None:
                ws.append([RUN_DAY_TEXT, RUN_TIME_TEXT, engine])
                day_row = ws.max_row
                last = day_row
            todo = [k for k in range(len(keywords)) if ws.cell(day_row, 4 + k).value in (None, "")]
            written = False
            for k in todo:
                result = result_of(engine_index, k)
                if result:
                    ws.cell(day_row, 4 + k).value = result
                    written = True
            if written:
                ws.cell(day_row, 2).value = RUN_TIME_TEXT
    wb.save(path)


def compare_xlsx(path_a, path_b):
    """Exit status 0 when both workbooks hold the same sheets and values."""
    import openpyxl

    def values(path):
        wb = openpyxl.load_workbook(path, read_only=True)
        for ws in wb.worksheets:
            for row in ws.iter_rows(values_only=True):
                cells = list(row)
                while cells and cells[-1] in (None, ""):
                    cells.pop()
                yield ws.title, [str(v) if v is not None else "" for v in cells]

    for a, b in itertools.zip_longest(values(path_a), values(path_b)):
        if a != b:
            print("first difference:", a, b)
            sys.exit(1)


def main():
    command, path = sys.argv[1], sys.argv[2]
    if command == "edit-xlsx":
        edit_xlsx(path)
        return
    if command == "compare-xlsx":
        compare_xlsx(path, sys.argv[3])
        return
    sheets, rows, columns = (int(v) for v in sys.argv[3:6])
    {"make-xlsx": make_xlsx, "make-xls": make_xls}[command](path, sheets, rows, columns)


if __name__ == "__main__":
    main()
