"""Workbooks for the .xlsx tests, made and read back by openpyxl.

  xlsx_fixture.py make PATH      writes the test workbook
  xlsx_fixture.py dump PATH      prints every value, format, width and merge
  xlsx_fixture.py entries PATH   prints every package entry: name, CRC, stored size
  xlsx_fixture.py part PATH NAME prints one part
  xlsx_fixture.py patch SRC DST NAME OLD NEW   copies SRC with OLD replaced in a part
  xlsx_fixture.py drop SRC DST NAME            copies SRC without a part
  xlsx_fixture.py bomb SRC DST NAME MIB [FILL] copies SRC with a part padded to MIB MiB

The made workbook is post-processed the way Excel leaves a file: formula
cells carry cached values, one formula is shared, a few texts live in a
shared string table (one with rich-text runs and a phonetic run), and a
calculation chain lists the formula cells.
"""
import datetime
import re
import sys
import warnings
import zipfile

import openpyxl
from openpyxl.chart import BarChart, Reference
from openpyxl.styles import Font, PatternFill

SHEET = "xl/worksheets/sheet1.xml"


def make(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "百度.com"
    ws.append(["日期", "时间", "搜索引擎", "关键字", "手机-1-50", "@sst0", "@sst1"])
    ws.append([datetime.date(2024, 3, 5), "08:30:00", "Baidu", 3, "?", "=D2*2", "=D2+1"])
    ws.append([datetime.date(2024, 3, 6), "09:00:00", "Google", 2.5, "@sst2", "=D3*2", "=D3+1"])
    ws["A2"].number_format = "yyyy/mm/dd"
    ws["A3"].number_format = "mm-dd-yy"  # a built-in date format
    for cell in ws[1]:
        cell.font = Font(bold=True)
        cell.fill = PatternFill("solid", fgColor="FFFF00")
    ws.column_dimensions["A"].width = 14
    ws.column_dimensions["D"].width = 22
    ws.merge_cells("H1:I2")
    ws["H1"] = "合并"
    ws["H3"] = "a\r\nb"  # openpyxl writes the CR as a character reference
    ws["I3"] = "=H3"  # left without a cached value, as openpyxl writes it

    other = wb.create_sheet("sina.com.cn")
    other.append(["日期", "时间", "搜索引擎", "新闻"])
    other.append(["2024/03/05", "10:00:00", "360", "1,7"])
    other["D2"].font = Font(italic=True, color="FF0000")
    other.column_dimensions["D"].width = 30
    chart = BarChart()
    chart.add_data(Reference(ws, min_col=4, min_row=1, max_row=3), titles_from_data=True)
    wb.create_chartsheet("图表").add_chart(chart)
    third = wb.create_sheet("empty")
    third["C5"] = 1e-7
    wb.save(path)
    post_process(path)


def post_process(path):
    with zipfile.ZipFile(path) as z:
        entries = [(info, z.read(info.filename)) for info in z.infolist()]
    shared = ('<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" '
              'uniqueCount="3"><si><t>共享</t></si><si><r><rPr><b/></rPr><t xml:space="preserve">'
              'rich </t></r><r><t>text</t></r><rPh sb="0" eb="1"><t>ルビ</t></rPh></si>'
              '<si><t xml:space="preserve">  </t></si></sst>')
    chain = ('<calcChain xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
             '<c r="F2" i="1"/><c r="G2"/><c r="F3"/><c r="G3"/></calcChain>')
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for info, data in entries:
            text = data.decode("utf-8")
            if info.filename == SHEET:
                text = text.replace("<f>D2*2</f><v></v>", "<f>D2*2</f><v>6</v>")
                text = text.replace("<f>D3*2</f><v></v>", "<f>D3*2</f><v>5</v>")
                text = text.replace("<f>D2+1</f><v></v>",
                                    '<f t="shared" ref="G2:G3" si="0">D2+1</f><v>4</v>')
                text = text.replace("<f>D3+1</f><v></v>", '<f t="shared" si="0"/><v>3.5</v>')
                text = re.sub(r't="inlineStr"><is><t>@sst(\d)</t></is>', r't="s"><v>\1</v>', text)
            elif info.filename == "xl/_rels/workbook.xml.rels":
                rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                text = text.replace(
                    "</Relationships>",
                    f'<Relationship Type="{rel}sharedStrings" Target="sharedStrings.xml" Id="rIdS"/>'
                    f'<Relationship Type="{rel}calcChain" Target="calcChain.xml" Id="rIdC"/>'
                    "</Relationships>")
            elif info.filename == "[Content_Types].xml":
                kind = "application/vnd.openxmlformats-officedocument.spreadsheetml."
                text = text.replace(
                    "</Types>",
                    f'<Override PartName="/xl/sharedStrings.xml" ContentType="{kind}sharedStrings+xml"/>'
                    f'<Override PartName="/xl/calcChain.xml" ContentType="{kind}calcChain+xml"/>'
                    "</Types>")
            z.writestr(info, text.encode("utf-8"))
        z.writestr("xl/sharedStrings.xml", shared)
        z.writestr("xl/calcChain.xml", chain)


def dump(path):
    wb = openpyxl.load_workbook(path)
    print("sheets", "|".join(wb.sheetnames))
    for ws in wb.worksheets:
        t = ws.title
        for row in ws.iter_rows():
            for cell in row:
                if cell.value is not None:
                    print(f"{t}!{cell.coordinate} {type(cell.value).__name__} {cell.value!r}")
                if cell.has_style:
                    if cell.font.b:
                        print(f"{t}!{cell.coordinate} bold")
                    if cell.font.i:
                        print(f"{t}!{cell.coordinate} italic {cell.font.color.rgb}")
                    if cell.fill.fill_type:
                        print(f"{t}!{cell.coordinate} fill {cell.fill.fgColor.rgb}")
                    if cell.number_format != "General":
                        print(f"{t}!{cell.coordinate} format {cell.number_format}")
        for key, dim in sorted(ws.column_dimensions.items()):
            if dim.width:
                print(f"{t} width {key} {dim.width}")
        for merged in ws.merged_cells.ranges:
            print(f"{t} merged {merged}")


def entries(path):
    with zipfile.ZipFile(path) as z:
        z.testzip()
        for info in z.infolist():
            print(info.filename, info.CRC, info.compress_type, info.compress_size)


def part(path, name):
    with zipfile.ZipFile(path) as z:
        sys.stdout.write(z.read(name).decode("utf-8"))


def copy(src, dst, change):
    """Copies the package, passing each part through change(name, data)."""
    with zipfile.ZipFile(src) as z, zipfile.ZipFile(dst, "w", zipfile.ZIP_DEFLATED) as out:
        for info in z.infolist():
            data = change(info.filename, z.read(info.filename))
            if data is None:
                continue
            if isinstance(data, bytes):
                out.writestr(info, data)
            else:  # a generator of chunks, written without holding them all
                with out.open(info.filename, "w", force_zip64=True) as stream:
                    for chunk in data:
                        stream.write(chunk)


def patch(src, dst, name, old, new):
    def change(part_name, data):
        if part_name != name:
            return data
        if old.encode() not in data:
            sys.exit(f"{old} is not in {name}")
        return data.replace(old.encode(), new.encode())
    copy(src, dst, change)


def drop(src, dst, name):
    copy(src, dst, lambda part_name, data: None if part_name == name else data)


def bomb(src, dst, name, mib, fill=" "):
    def padded(data):
        yield data[:-len("</worksheet>")]
        block = fill.encode() * ((1 << 20) // len(fill))
        for _ in range(int(mib)):
            yield block
        yield b"</worksheet>"
    copy(src, dst, lambda part_name, data: padded(data) if part_name == name else data)


def twice(src, dst, name):
    """Copies the package and stores the part `name` a second time."""
    copy(src, dst, lambda part_name, data: data)
    with zipfile.ZipFile(src) as z, zipfile.ZipFile(dst, "a") as out:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")  # "Duplicate name"
            out.writestr(name, z.read(name))


if __name__ == "__main__":
    modes = {"make": make, "dump": dump, "entries": entries, "part": part, "patch": patch,
             "drop": drop, "bomb": bomb, "twice": twice}
    modes[sys.argv[1]](*sys.argv[2:])
