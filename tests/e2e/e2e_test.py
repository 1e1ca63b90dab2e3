#!/usr/bin/python3
"""End-to-end tests of the korvan executable: a run folder as a user sets it
up, a loopback web reached through http_proxy, scripted standard input, the
console lines and the workbook read back by xlrd / openpyxl.

Usage: e2e_test.py KORVAN_EXE [unittest arguments, e.g. a test class]
"""
import os
import signal
import stat
import struct
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import korvan_e2e as k  # noqa: E402

KORVAN = None
DAY = "2026/12/06"  # the parameter page's Date header in UTC+8
TIME = "00:30:00"
ALPHA, BETA, GAMMA = "alpha.korvan.test", "beta.korvan.test", "gamma.korvan.test"
ENGINES = [("Alpha", ALPHA), ("Beta", BETA), ("丙引擎", GAMMA)]


def found(sheet, count, engine):
    return "【%s】 中找到 【%d】 个供 【%s】 搜索的关键字..." % (sheet, count, engine)


def none_found(sheet):
    return "【%s】 中没有找到可供搜索的关键字..." % sheet


class E2eCase(unittest.TestCase):
    workbook_name = "关键字.xls"

    def setUp(self):
        self.web = k.LoopbackWeb()
        self.web.param_text = k.param_page(ENGINES)
        self.folder = k.RunFolder(KORVAN, self.workbook_name)
        self.runs = []

    def tearDown(self):
        for run in self.runs:
            if run.proc.poll() is None:
                run.proc.kill()
                run.finish()
        self.web.close()
        self.folder.close()

    def start(self, **kwargs):
        run = k.Korvan(self.folder, self.web, **kwargs)
        self.runs.append(run)
        return run

    def choose(self, run, key):
        run.wait_menu()
        run.send(key)

    def run_alpha_by_client_beta_by_server(self):
        """One execution over the keywords "red" (site-a.test at rank 3) and
        "blue" with Alpha's UseXmlHttp 1 and Beta's 0; returns it ended."""
        self.web.param_text = k.param_page([("Alpha", ALPHA, 1), ("Beta", BETA, 0)])
        self.web.hits = {(h, "red"): {"site-a.test": [3]} for h in (ALPHA, BETA)}
        self.folder.write_workbook([("site-a.test", [k.HEADER + ["red", "blue"]])])
        self.folder.write_ini(common={"暂停时间": "0"}, engines={
            "Alpha": {"启用": "site-a.test"}, "Beta": {"启用": "site-a.test"}})
        run = self.start()
        self.choose(run, b"1")
        self.assertEqual(run.finish(), 0)
        return run

    def assertLines(self, run, expected):
        """Every expected line occurs, in this order, among the console lines."""
        lines = run.lines
        at = 0
        for line in expected:
            while at < len(lines) and lines[at] != line:
                at += 1
            self.assertLess(at, len(lines), "line %r missing (in order); output:\n%s" % (
                line, run.output()))
            at += 1


class FirstRunAndMenuReruns(E2eCase):
    """A first run appends the day's rows and writes ranks and "?"; choice 2
    in the same process queries only the empty cells; choice 3 queries all,
    keeping an earlier value where the new query fails."""

    def test_first_run_then_failed_again_then_all_again(self):
        kws_a = ["red", "蓝色", "green-0-20"]
        self.folder.write_workbook([
            ("site-a.test", [k.HEADER + kws_a]),
            ("site-b.test", [k.HEADER + ["one", "two"]]),
        ])
        original = k.read_bytes(self.folder.workbook)
        self.folder.write_ini(engines={
            "Alpha": {"启用": "site-a.test, site-b.test"},
            "Beta": {"启用": "SITE-A.test"},
            "丙引擎": {"启用": "site-b.test"},
        })
        w = self.web
        w.hits = {
            (ALPHA, "red"): {"site-a.test": [3]},
            (ALPHA, "green"): {"site-a.test": [4, 15]},
            (BETA, "red"): {"site-a.test": [2, 5]},
            (BETA, "蓝色"): {"site-a.test": [7]},
            (BETA, "green"): {"site-a.test": [12]},
            (ALPHA, "one"): {"site-b.test": [1]},
            (GAMMA, "one"): {"site-b.test": [10]},
            (GAMMA, "two"): {"site-b.test": [3]},
        }
        w.failures = {(BETA, "蓝色"): 1, (GAMMA, "two"): 1}
        run = self.start()
        run.wait_menu()
        self.assertLines(run, [
            "正在联网获取运行参数...", "正在载入本地设置...",
            found("site-a.test", 3, "Alpha"), found("site-a.test", 3, "Beta"),
            found("site-b.test", 2, "Alpha"), found("site-b.test", 2, "丙引擎"),
            "", "共有 【2】 处关键字查询失败...", "",
        ])
        self.assertTrue(any(l.startswith("查询完成，共计耗时 【") and l.endswith("】 毫秒...")
                            for l in run.lines))
        # The rank report beside the workbook, named in the summary.
        self.assertIn("排名报告已写入 【关键字.html】...", run.lines)
        with open(os.path.join(self.folder.dir, "关键字.html"), encoding="utf-8") as page:
            self.assertIn("<td>green-0-20</td>", page.read())
        self.assertNotIn("本工具可以支持", run.output())  # a section per engine
        # "green-0-20": two pages, stop at the first hit.
        self.assertEqual(w.keyword_requests(ALPHA).count("green"), 1)
        self.assertEqual(w.keyword_requests(BETA).count("green"), 2)
        # The backup of the original sits beside the workbook.
        self.assertEqual(k.read_bytes(self.folder.workbook + ".bak"), original)

        before = len(run.lines)
        with w.lock:
            w.requests.clear()
        run.send(b"2")
        run.wait_menu()
        second = run.lines[before:]
        self.assertIn(found("site-a.test", 1, "Beta"), second)
        self.assertIn(found("site-b.test", 1, "丙引擎"), second)
        self.assertFalse(any("个供 【Alpha】" in l for l in second))
        self.assertIn("查询全部成功...", second)
        self.assertEqual(w.keyword_requests(BETA), ["蓝色"])
        self.assertEqual(w.keyword_requests(GAMMA), ["two"])
        self.assertEqual(w.keyword_requests(ALPHA), [])

        before = len(run.lines)
        w.hits[(ALPHA, "red")] = {"site-a.test": [6]}
        w.failures = {(ALPHA, "two"): 1}
        run.send(b"3")
        run.wait_menu()
        third = run.lines[before:]
        for line in (found("site-a.test", 3, "Alpha"), found("site-a.test", 3, "Beta"),
                     found("site-b.test", 2, "Alpha"), found("site-b.test", 2, "丙引擎"),
                     "共有 【1】 处关键字查询失败..."):
            self.assertIn(line, third)
        run.send(b"1")
        self.assertEqual(run.finish(), 0)

        book = self.folder.read_workbook()
        self.assertEqual(book["site-a.test"], [
            k.HEADER + kws_a,
            [DAY, TIME, "Alpha", "6", "?", "4"],
            [DAY, TIME, "Beta", "2,5", "7", "12"],
        ])
        self.assertEqual(book["site-b.test"], [
            k.HEADER + ["one", "two"],
            [DAY, TIME, "Alpha", "1", "?"],  # the failed re-query kept "?"
            [DAY, TIME, "丙引擎", "10", "3"],
        ])


class SecondExecutionSameDay(E2eCase):
    """A second execution on the same day finds the day's row of an .xlsx
    workbook and queries only its empty cells; a third finds nothing to do."""
    workbook_name = "keywords.xlsx"

    def test_second_and_third_execution(self):
        old = ["2026/12/01", "08:00:00", "Alpha", "9", "?"]
        self.folder.write_workbook([("site-c.test", [k.HEADER + ["x", "y"], old])])
        self.folder.write_ini(common={"暂停时间": "0", "排名报告": "0"},
                              engines={"Alpha": {"启用": "site-c.test"}})
        self.web.hits = {(ALPHA, "x"): {"site-c.test": [1]}, (ALPHA, "y"): {"site-c.test": [2]}}
        self.web.failures = {(ALPHA, "y"): 1}

        run = self.start()
        self.choose(run, b"1")
        self.assertEqual(run.finish(), 0)
        self.assertIn(found("site-c.test", 2, "Alpha"), run.lines)
        # The report is turned off: no page, no line.
        self.assertFalse(os.path.exists(os.path.join(self.folder.dir, "keywords.html")))
        self.assertFalse(any(l.startswith("排名报告") for l in run.lines))
        self.assertEqual(self.folder.read_workbook()["site-c.test"][2], [DAY, TIME, "Alpha", "1"])

        with self.web.lock:
            self.web.requests.clear()
        run = self.start()
        self.choose(run, b"1")
        self.assertEqual(run.finish(), 0)
        self.assertIn(found("site-c.test", 1, "Alpha"), run.lines)
        self.assertEqual(self.web.keyword_requests(ALPHA), ["y"])
        rows = self.folder.read_workbook()["site-c.test"]
        self.assertEqual(rows, [k.HEADER + ["x", "y"], old, [DAY, TIME, "Alpha", "1", "2"]])

        run = self.start()
        self.choose(run, b"1")
        self.assertEqual(run.finish(), 0)
        self.assertIn(none_found("site-c.test"), run.lines)
        self.assertIn("查询全部成功...", run.lines)
        self.assertEqual(len(self.folder.read_workbook()["site-c.test"]), 3)


class EscDuringSheet(E2eCase):
    """Esc stops the current sheet; its unanswered keywords stay empty and
    count as failures; the next sheet runs normally. The menu on an ended
    standard input leaves like choice 1."""

    def test_esc_stops_only_the_current_sheet(self):
        slow = ["s%d" % i for i in range(8)]
        self.folder.write_workbook([
            ("slow.test", [k.HEADER + slow]),
            ("next.test", [k.HEADER + ["n"]]),
        ])
        self.folder.write_ini(common={"暂停时间": "0"},
                              engines={"Alpha": {"启用": "slow.test,next.test"}})
        self.web.delay_s = 0.3
        self.web.hits = {(ALPHA, kw): {"slow.test": [1]} for kw in slow}
        self.web.hits[(ALPHA, "n")] = {"next.test": [2]}
        run = self.start()
        run.wait_line(found("slow.test", 8, "Alpha"))
        time.sleep(0.4)
        run.send(b"\x1b")
        run.wait_line("上的关键字查询中断")
        run.wait_line(found("next.test", 1, "Alpha"))
        summary = run.wait_line(lambda l: l.startswith("共有 【"), "the failure count")
        failed = int(summary.split("【")[1].split("】")[0])
        self.assertGreaterEqual(failed, 1)
        self.assertLessEqual(failed, 7)
        run.wait_menu()
        run.close_input()
        self.assertEqual(run.finish(), 0)
        book = self.folder.read_workbook()
        slow_row = book["slow.test"][1]
        answered = [c for c in slow_row[3:] if c]
        self.assertEqual(len(answered), 8 - failed)
        self.assertTrue(all(c == "1" for c in answered))
        self.assertEqual(book["next.test"][1], [DAY, TIME, "Alpha", "2"])
        self.assertEqual(self.web.keyword_requests(ALPHA)[-1], "n")


class CompetitorSheetAndBlockedEngine(E2eCase):
    """A competitor's sheet on the same keywords asks no result page twice;
    an engine that answers with its verification page three times in a row
    is stopped for the run, each failure says why, and the summary counts
    the failures by reason and names the stopped engine. The next run asks
    it again."""

    def test_competitor_sheet_and_blocked_engine(self):
        kws = ["red", "blue", "green", "white"]
        self.folder.write_workbook([
            ("site-a.test", [k.HEADER + kws]),
            ("rival.test", [k.HEADER + kws]),
        ])
        both = "site-a.test,rival.test"
        self.folder.write_ini(common={"暂停时间": "0"},
                              engines={"Alpha": {"启用": both}, "Beta": {"启用": both}})
        w = self.web
        w.hits = {(ALPHA, "red"): {"site-a.test": [2], "rival.test": [5]},
                  (ALPHA, "blue"): {"rival.test": [1]},
                  (BETA, "red"): {"site-a.test": [3], "rival.test": [4]}}
        w.verifying = {BETA}
        run = self.start()
        run.wait_menu()
        self.assertEqual(w.keyword_requests(ALPHA), kws)  # once for both sheets
        self.assertEqual(w.keyword_requests(BETA), ["red", "blue", "green"])
        self.assertLines(run, [
            "获取 【Beta】 搜索关键字 【red】 的第 【1】 页的内容失败，关键字 【red】 的查询终止...",
            "原因：搜索引擎转到了验证页面 【beta.korvan.test】 ，要求证明访问者不是机器人...",
            "搜索引擎 【Beta】 连续 【3】 次拒绝访问或要求验证，本次查询不再使用它...",
            found("rival.test", 4, "Alpha"),
            "搜索引擎 【Beta】 已在本次查询中停止，【rival.test】 中供它搜索的 【4】 个关键字计为查询失败...",
            "", "共有 【8】 处关键字查询失败...",
            "其中 【3】 处：搜索引擎要求验证，请过一段时间再查询，或加大暂停时间...",
            "其中 【5】 处：搜索引擎已被停止，没有查询，请过一段时间再选择失败重查...",
            "本次查询中被停止的搜索引擎 【Beta】 ，请过一段时间再选择失败重查...", "",
        ])
        self.assertNotIn(found("rival.test", 4, "Beta"), run.lines)

        w.verifying = set()
        with w.lock:
            w.requests.clear()
        before = len(run.lines)
        run.send(b"2")
        run.wait_menu()
        self.assertIn("查询全部成功...", run.lines[before:])
        self.assertEqual(w.keyword_requests(BETA), kws)
        self.assertEqual(w.keyword_requests(ALPHA), [])
        run.send(b"1")
        self.assertEqual(run.finish(), 0)
        book = self.folder.read_workbook()
        self.assertEqual(book["site-a.test"][1:], [[DAY, TIME, "Alpha", "2", "?", "?", "?"],
                                                    [DAY, TIME, "Beta", "3", "?", "?", "?"]])
        self.assertEqual(book["rival.test"][1:], [[DAY, TIME, "Alpha", "5", "1", "?", "?"],
                                                   [DAY, TIME, "Beta", "4", "?", "?", "?"]])


class MissingWorkbook(E2eCase):
    """The missing-workbook message waits for Enter and ends with exit code
    0; on an ended standard input it ends at once."""

    def test_missing_workbook(self):
        self.folder.write_ini(workbook="no-such-book.xls")
        run = self.start()
        run.wait_line("Excel文件不存在，请检查！按Enter键退出程序...")
        time.sleep(0.3)
        self.assertIsNone(run.proc.poll(), "did not wait for Enter")
        run.send(b"\n")
        self.assertEqual(run.finish(), 0)
        self.assertLines(run, ["", k.BANNER_TOP, "正在联网获取运行参数...", "正在载入本地设置...",
                               "Excel文件不存在，请检查！按Enter键退出程序..."])

        run = self.start(stdin=k.subprocess.DEVNULL)
        self.assertEqual(run.finish(), 0)
        self.assertEqual(run.lines[-1], "Excel文件不存在，请检查！按Enter键退出程序...")

        # No settings file at all: the same message.
        os.remove(os.path.join(self.folder.dir, "配置.ini"))
        run = self.start(stdin=k.subprocess.DEVNULL)
        self.assertEqual(run.finish(), 0)
        self.assertEqual(run.lines[-1], "Excel文件不存在，请检查！按Enter键退出程序...")


class WorkbookCannotBeOpened(E2eCase):
    """A workbook that an office suite has open, or that is no workbook at
    all, ends in "Excel文件打开失败！按Enter键退出..." after Enter, exit code
    0, and the file is left as it was."""

    def test_locked_and_garbage_workbooks(self):
        self.folder.write_workbook([("site-f.test", [k.HEADER + ["kw"]])])
        self.folder.write_ini(engines={"Alpha": {"启用": "site-f.test"}})
        original = k.read_bytes(self.folder.workbook)
        lock = os.path.join(self.folder.dir, ".~lock.关键字.xls#")
        with open(lock, "w") as f:
            f.write("someone,on,a desktop\n")
        run = self.start()
        run.wait_line("Excel文件打开失败！按Enter键退出...")
        time.sleep(0.3)
        self.assertIsNone(run.proc.poll(), "did not wait for Enter")
        run.send(b"\n")
        self.assertEqual(run.finish(), 0)
        self.assertEqual(k.read_bytes(self.folder.workbook), original)
        self.assertEqual(self.web.keyword_requests(ALPHA), [])

        self.assertEqual(run.lines[-2:], [
            "原因：Excel文件正在办公软件中打开，请先在那里关闭它 【cannot open 关键字.xls: the "
            "workbook is open in an office program (close it there first)】",
            "Excel文件打开失败！按Enter键退出..."])

        os.remove(lock)
        garbage = b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + os.urandom(3000)
        # A damaged container: a mini-stream cut-off beyond every stream
        # makes libgsf look for the workbook stream in blocks it lacks.
        damaged = bytearray(original)
        struct.pack_into("<I", damaged, 0x38, 0x00C70000)
        for broken in (garbage, bytes(damaged)):
            with open(self.folder.workbook, "wb") as f:
                f.write(broken)
            run = self.start(stdin=k.subprocess.DEVNULL)
            self.assertEqual(run.finish(), 0)
            # Nothing of the libraries below, only the reason and the message.
            self.assertEqual(run.lines[-3], "正在载入本地设置...", run.output())
            self.assertTrue(run.lines[-2].startswith("原因：Excel文件已损坏 【cannot read 关键字.xls: "),
                            run.lines[-2])
            self.assertEqual(run.lines[-1], "Excel文件打开失败！按Enter键退出...")
            self.assertEqual(k.read_bytes(self.folder.workbook), broken)


class ResultsOnDiskAtTheMenu(E2eCase):
    """Every sheet is saved when it ends: korvan killed at the end menu (kill
    -9, or SIGHUP as when the console window is closed) keeps the results of
    every sheet and leaves no temporary file; leaving through the menu does
    not write the workbook again."""

    def test_killed_or_left_at_the_menu(self):
        for name in ("关键字.xls", "关键字.xlsx"):
            for sig in (signal.SIGKILL, signal.SIGHUP, None):
                with self.subTest(workbook=name, signal=sig):
                    self.run_to_the_menu(name, sig)

    def run_to_the_menu(self, name, sig):
        folder = k.RunFolder(KORVAN, name)
        self.addCleanup(folder.close)
        folder.write_workbook([
            ("site-a.test", [k.HEADER + ["red", "blue"]]),
            ("site-b.test", [k.HEADER + ["one"]]),
        ])
        folder.write_ini(common={"暂停时间": "0"},
                         engines={"Alpha": {"启用": "site-a.test,site-b.test"}})
        self.web.hits = {(ALPHA, "red"): {"site-a.test": [3]}, (ALPHA, "one"): {"site-b.test": [1]}}
        run = k.Korvan(folder, self.web)
        self.runs.append(run)
        run.wait_menu()
        saved = os.stat(folder.workbook)
        if sig is None:
            run.send(b"1")
            self.assertEqual(run.finish(), 0)
            after = os.stat(folder.workbook)
            self.assertEqual((after.st_ino, after.st_mtime_ns), (saved.st_ino, saved.st_mtime_ns))
        else:
            os.kill(run.proc.pid, sig)
            self.assertEqual(run.finish(), -sig)
        self.assertEqual(folder.read_workbook(), {
            "site-a.test": [k.HEADER + ["red", "blue"], [DAY, TIME, "Alpha", "3", "?"]],
            "site-b.test": [k.HEADER + ["one"], [DAY, TIME, "Alpha", "1"]],
        })
        # No temporary file is left; the fetched parameter page and the rank
        # report are kept.
        report = os.path.splitext(name)[0] + ".html"
        self.assertEqual(sorted(os.listdir(folder.dir)),
                         sorted([os.path.basename(folder.exe), "配置.ini", "运行参数.txt", report,
                                 name, name + ".bak"]))


class ParamPageUnreachable(E2eCase):
    """Without the parameter page the four built-in engines are used, the run
    date is the local clock, and the supported-engines line lists them."""

    def test_builtin_engines_and_local_clock(self):
        self.web.param_status = 502
        self.folder.write_workbook([("site-d.test", [k.HEADER + ["k1", "k2"]])])
        self.folder.write_ini(common={"暂停时间": "0"}, engines={"百度": {"启用": "site-d.test"}})
        self.web.hits = {("www.baidu.com", "k1"): {"site-d.test": [2]}}
        before = time.gmtime()
        run = self.start()
        self.choose(run, b"1")
        self.assertEqual(run.finish(), 0)
        after = time.gmtime()
        self.assertIn(found("site-d.test", 2, "百度"), run.lines)
        self.assertIn("本工具可以支持 百度、谷歌、360So、淘宝 的搜索引擎，只需在配置文件中写入相应内容即可使用！",
                      run.lines)
        self.assertNotIn("软件版本已经升级，请及时下载更新！", run.lines)
        self.assertIn(" 0 : 退出并访问     ", run.lines)
        self.assertIn(" 1 : 直接退出       ", run.lines)
        hosts = {h for h, kw, _ in self.web.requests if kw is not None}
        self.assertEqual(hosts, {"www.baidu.com"})
        row = self.folder.read_workbook()["site-d.test"][1]
        days = {time.strftime("%Y/%m/%d", t) for t in (before, after)}
        self.assertIn(row[0], days)
        self.assertRegex(row[1], r"^\d\d:\d\d:\d\d$")
        self.assertEqual(row[2:], ["百度", "2", "?"])


class SheetsWithoutKeywords(E2eCase):
    """Sheets with only the fixed columns, a keyword among the first three
    columns, or no enabled engine yield no keywords and get no row; fixed
    columns in another order and a host with a path are accepted."""

    def test_sheets_without_keywords(self):
        sheets = [
            ("fixed.test", [k.HEADER]),
            ("order.test", [["时间", "搜索引擎", "日期", "kw"]]),
            ("bad.test", [["日期", "时间", "kw1", "kw2"]]),
            ("off.test", [k.HEADER + ["kw"]]),
            ("news.test)cn", [k.HEADER + ["kw"]]),
        ]
        self.folder.write_workbook(sheets)
        self.folder.write_ini(common={"暂停时间": "0"}, engines={
            "Alpha": {"启用": "fixed.test,order.test,bad.test,news.test/cn"}})
        self.web.hits = {(ALPHA, "kw"): {"order.test": [5], "news.test/cn": [8]}}
        run = self.start()
        self.choose(run, b"1")
        self.assertEqual(run.finish(), 0)
        self.assertLines(run, [none_found("fixed.test"), found("order.test", 1, "Alpha"),
                               none_found("bad.test"), none_found("off.test"),
                               found("news.test/cn", 1, "Alpha"), "查询全部成功..."])
        book = self.folder.read_workbook()
        for name in ("fixed.test", "bad.test", "off.test"):
            self.assertEqual(book[name], [r for r in dict(sheets)[name]], name)
        self.assertEqual(book["order.test"][1], [TIME, "Alpha", DAY, "5"])
        self.assertEqual(book["news.test)cn"][1], [DAY, TIME, "Alpha", "8"])


class VersionNoticeAndExitPage(E2eCase):
    """The notice (control bytes shown as "?"), the version notice, the
    remote menu texts, the supported-engines line, a wrong key, and choice 0
    opening the exit page through the desktop opener."""

    def test_end_screen_and_choice_zero(self):
        self.web.param_text = k.param_page(
            [("Alpha", ALPHA), ("Beta", BETA)], exit_url="http://www.korvan.test/bye?a=1&b=2",
            latest="1.2.0.1", menu0="访问主页", menu1="再见",
            notice="欢迎使用\x1b[2J本工具\u009b31m")
        self.folder.write_workbook([("site-e.test", [k.HEADER + ["kw"]])])
        self.folder.write_ini(engines={"Alpha": {"启用": "site-e.test"}})
        self.web.hits = {(ALPHA, "kw"): {"site-e.test": [1]}}
        bin_dir = os.path.join(self.folder.dir, "bin")
        os.mkdir(bin_dir)
        record = os.path.join(self.folder.dir, "opened.txt")
        opener = os.path.join(bin_dir, "xdg-open")
        with open(opener, "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$@\" > %s.tmp && mv %s.tmp %s\n" % (
                record, record, record))
        os.chmod(opener, stat.S_IRWXU)
        run = self.start(extra_env={"PATH": bin_dir + ":" + os.environ.get("PATH", "")})
        run.wait_menu()
        run.send(b"x")
        run.wait_line("请按照提示输入！")
        run.send(b"0")
        self.assertEqual(run.finish(), 0)
        # Wine has no GB18030 converter: there the four-byte form of U+009B
        # is invalid code page 936 and shows as "?" per non-ASCII byte.
        notice = "欢迎使用?[2J本工具" + ("?0?7" if k.WINDOWS else "?") + "31m"
        self.assertLines(run, [
            "本工具可以支持 Alpha、Beta 的搜索引擎，只需在配置文件中写入相应内容即可使用！", "",
            k.BANNER_TOP, "", notice, "", "软件版本已经升级，请及时下载更新！", "",
            " 0 : 退出并访问     访问主页", " 1 : 直接退出       再见", " 2 : 失败重查",
            " 3 : 全部重查", "请按照提示输入！"])
        for _ in range(500):
            if os.path.exists(record):
                break
            time.sleep(0.01)
        with open(record) as f:
            self.assertEqual(f.read(), "http://www.korvan.test/bye?a=1&b=2\n")


LOCAL_COPY = "运行参数.txt"
FROM_LOCAL_COPY = "使用本地运行参数文件 【运行参数.txt】 ..."
FROM_BUILT_IN = "没有可用的运行参数，使用内置的搜索引擎..."


def supported(names):
    return "本工具可以支持 %s 的搜索引擎，只需在配置文件中写入相应内容即可使用！" % "、".join(names)


class ParamSourceCase(E2eCase):
    """One execution that queries nothing; returns its console lines."""

    def run_once(self, engines=None):
        self.folder.write_workbook([("site.test", [k.HEADER + ["kw"]])])
        self.folder.write_ini(engines=engines)
        run = self.start()
        self.choose(run, b"1")
        self.assertEqual(run.finish(), 0)
        return run.lines

    def copy_path(self):
        return os.path.join(self.folder.dir, LOCAL_COPY)

    def assert_source(self, lines, source_line, engines):
        at = lines.index("正在联网获取运行参数...")
        expected = [source_line] if source_line else []
        self.assertEqual(lines[at + 1:at + 1 + len(expected) + 1], expected + ["正在载入本地设置..."])
        self.assertIn(supported(engines), lines)


class RunParamSources(ParamSourceCase):
    """The fixed address first; a usable page is kept beside the executable
    (rewritten only when it changes); without an answer the kept copy, then
    the built-in engines, each announced by one line."""

    def test_page_then_local_copy_then_built_in(self):
        lines = self.run_once()
        self.assert_source(lines, None, ["Alpha", "Beta", "丙引擎"])
        with open(self.copy_path(), "rb") as f:
            self.assertEqual(f.read(), self.web.param_text.encode("utf-8"))
        inode = os.stat(self.copy_path()).st_ino
        self.run_once()
        self.assertEqual(os.stat(self.copy_path()).st_ino, inode)  # same page: not rewritten

        self.web.param_status = 502
        lines = self.run_once(engines={"Alpha": {"启用": "site.test"}})
        self.assert_source(lines, FROM_LOCAL_COPY, ["Alpha", "Beta", "丙引擎"])
        row = self.folder.read_workbook()["site.test"][-1]
        self.assertEqual(row[2:], ["Alpha", "?"])
        self.assertNotEqual(row[0], DAY)  # the local clock, not the server's date

        self.web.param_status = 200
        self.web.param_text = "no engines here\r\n"
        with open(self.copy_path(), "wb") as f:  # a GBK copy is read as well
            f.write(k.param_page([("本地", "local.korvan.test")]).encode("gbk"))
        lines = self.run_once()
        self.assert_source(lines, FROM_LOCAL_COPY, ["本地"])

        os.remove(self.copy_path())
        self.web.param_status = 404
        lines = self.run_once()
        self.assert_source(lines, FROM_BUILT_IN, ["百度", "谷歌", "360So", "淘宝"])
        self.assertFalse(os.path.exists(self.copy_path()))


class NoParamAddress(ParamSourceCase):
    """Built without an address (run with build/korvan): nothing is fetched;
    the local copy or the built-in engines."""

    def test_local_copy_or_built_in_without_a_request(self):
        with open(self.copy_path(), "wb") as f:
            f.write(k.param_page([("本地", "local.korvan.test")]).encode("utf-8"))
        self.assert_source(self.run_once(), FROM_LOCAL_COPY, ["本地"])
        os.remove(self.copy_path())
        self.assert_source(self.run_once(), FROM_BUILT_IN, ["百度", "谷歌", "360So", "淘宝"])
        self.assertEqual(self.web.requests, [])


def browser_processes(korvan_pid):
    """Processes whose command line names a browser profile of korvan_pid
    (the browser and its guard), and the browser's process group members."""
    mark = "korvan-browser-%d-" % korvan_pid
    named, groups = [], set()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmdline = f.read().decode("utf-8", "replace")
        except OSError:
            continue
        if mark in cmdline:
            named.append(int(pid))
            if "--user-data-dir=" in cmdline:
                groups.add(os.getpgid(int(pid)))
    return named, groups


def profiles_of(korvan_pid):
    tmp = tempfile.gettempdir()
    return [os.path.join(tmp, p) for p in os.listdir(tmp)
            if p.startswith("korvan-browser-%d-" % korvan_pid)]


def browser_leftovers(korvan_pid, groups=()):
    """Waits up to 10 s for korvan's browser processes, their groups and
    profile folders to go; returns what is left."""
    for _ in range(200):
        left = browser_processes(korvan_pid)[0] + group_members(groups) + profiles_of(korvan_pid)
        if not left:
            break
        time.sleep(0.05)
    return left


def group_members(groups):
    members = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if fields[0] != "Z" and int(fields[2]) in groups:
            members.append(int(pid))
    return members


class BrowserEngine(E2eCase):
    """An engine with UseXmlHttp 1 reads a result list that a script writes
    into the page, keeping the cookie the script set for its next page; the
    same page through an engine with UseXmlHttp 0 is a failed query."""

    def test_script_written_results_need_the_browser(self):
        self.web.script_hosts = {ALPHA, BETA}
        run = self.run_alpha_by_client_beta_by_server()
        self.assertIn("获取 【Beta】 搜索关键字 【red】 的第 【1】 页的内容失败，"
                      "关键字 【red】 的查询终止...", run.lines)
        self.assertEqual(self.folder.read_workbook()["site-a.test"][1:], [
            [DAY, TIME, "Alpha", "3", "?"],
            [DAY, TIME, "Beta"],
        ])
        self.assertEqual([(kw, c) for h, kw, c in self.web.cookies if h == ALPHA],
                         [("red", None), ("blue", "seen=red")])
        self.assertEqual(browser_leftovers(run.proc.pid), [])


class ClientComponentWithoutBrowser(E2eCase):
    """Without a browser an engine with UseXmlHttp 1 is fetched by the client
    component, which reads the result list and sends the engine's cookie
    with its next page, as the server component does for the others."""

    def test_client_component_reads_pages_and_keeps_cookies(self):
        self.web.cookie_hosts = {ALPHA, BETA}
        run = self.run_alpha_by_client_beta_by_server()
        self.assertIn("未找到浏览器，需要浏览器的搜索引擎改用普通方式获取；"
                      "请安装 Chrome 或 Edge 浏览器", run.lines)
        self.assertEqual(self.folder.read_workbook()["site-a.test"][1:], [
            [DAY, TIME, "Alpha", "3", "?"],
            [DAY, TIME, "Beta", "3", "?"],
        ])
        for host in (ALPHA, BETA):
            self.assertEqual([(kw, c) for h, kw, c in self.web.cookies if h == host],
                             [("red", None), ("blue", "seen=red")], host)


class BrowserEndsWithKorvan(E2eCase):
    """kill -9 of korvan during a page in the browser leaves no browser
    process and no profile folder behind."""

    def test_kill_during_a_browser_page(self):
        self.web.param_text = k.param_page([("Alpha", ALPHA, 1)])
        self.web.hang_hosts = {ALPHA}
        self.folder.write_workbook([("site-a.test", [k.HEADER + ["red"]])])
        self.folder.write_ini(engines={"Alpha": {"启用": "site-a.test"}})
        run = self.start()
        run.wait_line("正在获取 【Alpha】 搜索关键字 【red】 的第 【1】 页的内容...")
        while not self.web.keyword_requests(ALPHA):  # the browser asked for the page
            self.assertLess(time.monotonic(), run.deadline, run.output())
            time.sleep(0.05)
        _, groups = browser_processes(run.proc.pid)
        self.assertTrue(groups, "no browser runs for korvan")
        self.assertEqual(len(profiles_of(run.proc.pid)), 1)
        run.proc.kill()
        run.finish()
        self.assertEqual(browser_leftovers(run.proc.pid, groups), [])


if __name__ == "__main__":
    KORVAN = os.path.abspath(sys.argv[1])
    k.use_program(KORVAN)
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
