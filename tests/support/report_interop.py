"""Independent writer of a keyword workbook with a known history, and an
independent reader of the rank report page, for the report tests.

usage: report_interop.py make-history PATH
       report_interop.py read-report PATH

make-history: an .xlsx (openpyxl) with the sheet "www.shop.com" and a sheet
whose name holds <, >, &, " and ' ; rows of the engines "百度" and "Google"
up to the run day 2026/12/08 (one date as a real date cell).
read-report: the page read with html.parser, one line per table row, fields
separated by tabs: "sheet", "engine", then the cells' texts (the chart cell
as "svg:" and its path); the movers' rows as "movers" lines, the failures as
"failure" lines, and "script"/"external" lines for any <script> element or
attribute that loads something from elsewhere.
"""
import datetime
import sys
from html.parser import HTMLParser

HEADER = ["日期", "时间", "搜索引擎", "手机壳", "蓝牙耳机-1-50", "充电器", "数据线-0-20", "耳机",
          "a<b&\"c'"]
ODD_SHEET = "<i>&\"x'.com"


def make_history(path):
    import openpyxl

    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "www.shop.com"
    ws.append(HEADER)
    ws.append(["2025/01/01", "08:00:00", "百度", 9, "?", 9, 9, 1, None])  # before the period
    ws.append(["2026/12/05", "08:00:00", "百度", 5, "?", 3, "7,9", 2, None])
    ws.append(["2026/12/05", "08:00:00", "Google", 6, 30, None, None, None, None])
    ws.append(["2026/12/06", "08:00:00", "百度", "4", None, 3, None, 2, None])
    ws.append([datetime.datetime(2026, 12, 8), "08:00:00", "Google", 1, "?", None, None, None,
               None])
    ws["A6"].number_format = "yyyy/mm/dd"
    ws.append(["2026/12/08", "08:00:00", "百度", "8,20", 12, "?", 2, 2, 1])
    ws.append(["not a date", "", "百度", 1, 1, 1, 1, 1, 1])
    odd = wb.create_sheet(ODD_SHEET)
    odd.append(HEADER[:4])
    odd.append(["2026/12/07", "08:00:00", "<b>引擎</b>", "<script>x</script>"])
    wb.save(path)


class ReportReader(HTMLParser):
    def __init__(self):
        super().__init__()
        self.lines = []
        self.heading = None  # "h2" or "h3" while inside one
        self.text = ""
        self.sheet = self.engine = ""
        self.table = None
        self.row = None
        self.cell = None
        self.in_li = False

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "script":
            self.lines.append("script")
        for name in ("src", "href", "srcset", "data", "action"):
            if name in attrs:
                self.lines.append("external\t%s=%s" % (name, attrs[name]))
        if tag in ("h2", "h3"):
            self.heading, self.text = tag, ""
        elif tag == "table":
            self.table = attrs.get("class", "")
        elif tag == "tr":
            self.row = []
        elif tag in ("td", "th"):
            self.cell = ""
        elif tag == "path" and self.cell is not None:
            self.cell += "svg:" + attrs.get("d", "")
        elif tag == "li":
            self.in_li, self.text = True, ""

    def handle_endtag(self, tag):
        if tag == self.heading:
            if tag == "h2":
                self.sheet = self.text.strip()
            else:
                self.engine = self.text.split(" 最新一行")[0].strip()
            self.heading = None
        elif tag in ("td", "th") and self.row is not None:
            self.row.append(self.cell)
            self.cell = None
        elif tag == "tr":
            if self.row and self.cell is None and not self.row[0] == "关键字" \
                    and not self.row[0] == "工作表":
                if self.table == "movers":
                    self.lines.append("\t".join(["movers"] + self.row))
                else:
                    self.lines.append("\t".join([self.sheet, self.engine] + self.row))
            self.row = None
        elif tag == "li":
            self.lines.append("failure\t" + self.text)
            self.in_li = False

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data
        elif self.heading or self.in_li:
            self.text += data


def read_report(path):
    reader = ReportReader()
    with open(path, encoding="utf-8") as f:
        reader.feed(f.read())
    reader.close()
    sys.stdout.write("".join(line + "\n" for line in reader.lines))


def main():
    command, path = sys.argv[1], sys.argv[2]
    {"make-history": make_history, "read-report": read_report}[command](path)


if __name__ == "__main__":
    main()
