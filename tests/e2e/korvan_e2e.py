"""Runs the built korvan executable as a user would, for the end-to-end tests
and the end-to-end benchmark.

- LoopbackWeb: an HTTP server on 127.0.0.1 that korvan reaches as its proxy
  (http_proxy), so the fixed addresses of the parameter page and of the
  result pages land here. It plays the parameter page and the result pages
  of several engines and records every request.
- RunFolder: a temporary folder with korvan copied in, its 配置.ini and a
  workbook made by python3-xlwt (.xls) or python3-openpyxl (.xlsx).
- Korvan: the running process, its console lines (decoded), its standard
  input, and a hard time limit on everything.
"""
import http.server
import json
import os
import queue
import resource
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

PARAM_HOST = "params.korvan.test"

# True when the program under test is korvan.exe, run under Wine: a Windows
# console program whose output to a pipe is the GBK bytes of its texts with
# CR LF line ends. Set by use_program().
WINDOWS = False


def use_program(path):
    """Tells the helpers which program the tests run (korvan or korvan.exe)."""
    global WINDOWS, BANNER_TOP
    WINDOWS = path.lower().endswith(".exe")
    if WINDOWS:
        # A GBK console shows the frame as it is: each box character takes
        # two columns of its own.
        BANNER_TOP = "     ┏┓" + " " * 50 + "┏┓"


# Runs a Windows program under Wine as on a Chinese Windows (code page 936).
WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                        "windows", "wine-run")
PARAM_PATH = "/params.txt"

# Google-shaped result pages: one <li class="g"> per result.
SPEC = '<li class="g"[*]>|</li>|<li class="g"[*]>|..|0'


def engine_block(name, host, use_xml_http=0):
    return "[%s]\r\nhttp://%s/search?q=[keyword]&start=[0,0,10]\r\n%s\r\n10\r\n%d\r\n" % (
        name, host, SPEC, use_xml_http)


def param_page(engines, exit_url="", latest="", menu0="", menu1="", notice=""):
    """The parameter page text: the prelude lines, then one block per
    (name, host[, UseXmlHttp]) engine."""
    prelude = ["korvan parameters", exit_url, latest, menu0, menu1, notice]
    while prelude[-1] == "":  # empty lines do not count: end the prelude early
        prelude.pop()
    assert "" not in prelude, "an empty text can only end the prelude"
    text = "\r\n".join(prelude) + "\r\n"
    return text + "".join(engine_block(*engine) for engine in engines)


def result_page(items):
    page = "<html><body><div id=search><ol>"
    for item in items:
        page += '<li class="g"><h3><a href="http://r/">title</a></h3><cite>%s</cite></li>' % item
    return page + "</ol></div></body></html>"


def script_page(items, keyword):
    """A result page whose list is written by a script once the page has
    loaded; the script also sets a cookie for the engine's next page."""
    return ("<html><body><div id=search><ol id=r></ol></div><script>"
            "document.cookie = 'seen=%s; path=/';"
            "addEventListener('load', () => { for (const t of %s) {"
            "  const li = document.createElement('li'); li.className = 'g';"
            "  li.innerHTML = '<h3>title</h3><cite>' + t + '</cite>';"
            "  document.getElementById('r').appendChild(li); } });"
            "</script></body></html>") % (urllib.parse.quote(keyword), json.dumps(items))


def baidu_page(items, first_id):
    page = '<html><body><div id="content_left">'
    for i, item in enumerate(items):
        page += '<table id="%d" class="result"><tr><td><span>%s</span></td></tr></table>' % (
            first_id + i, item)
    return page + "</div></body></html>"


BLOCKED_PAGE = "<html><body><form>please verify you are human</form></body></html>"


class LoopbackWeb:
    """The proxy-addressed web of the tests.

    hits[(engine_host, keyword)] = {site: [overall ranks]} places a site at
    those ranks; failures[(engine_host, keyword)] = n makes the first n
    requests for that keyword get a page without a result list (a failed
    query). An engine host in verifying redirects every result request to
    its verification page /sorry/index. param_status other than 200 makes
    the parameter page fail. delay_s delays every result page. Engine hosts
    in script_hosts answer with a page whose list a script writes (cookies
    records the Cookie header of each of their requests); hosts in
    hang_hosts with a page that never finishes loading (an image that never
    arrives)."""

    def __init__(self):
        self.param_text = ""
        self.param_status = 200
        self.param_date = "Sat, 05 Dec 2026 16:30:00 GMT"  # 2026/12/06 00:30:00 in UTC+8
        self.hits = {}
        self.failures = {}
        self.verifying = set()
        self.delay_s = 0.0
        self.script_hosts = set()
        self.cookie_hosts = set()  # their result pages set a cookie in a header
        self.hang_hosts = set()
        self.cookies = []
        self.requests = []
        self.lock = threading.Lock()
        web = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def setup(self):
                super().setup()
                # Headers and body leave in one segment each without waiting
                # for the client's delayed acknowledgement.
                self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

            def do_GET(self):
                web._answer(self)

        class Server(http.server.ThreadingHTTPServer):
            def handle_error(self, request, client_address):
                # A browser drops connections it no longer needs; that is
                # not a fault of the page served.
                if not isinstance(sys.exc_info()[1], ConnectionError):
                    super().handle_error(request, client_address)

        self.server = Server(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()

    def proxy(self):
        return "http://127.0.0.1:%d" % self.port

    def keyword_requests(self, engine_host):
        """The keywords asked of an engine, in order (one entry per page)."""
        with self.lock:
            return [k for h, k, _ in self.requests if h == engine_host and k is not None]

    def _send(self, handler, status, body, content_type, date=None, extra=""):
        data = body.encode("utf-8") if isinstance(body, str) else body
        head = "HTTP/1.1 %d %s\r\nDate: %s\r\nContent-Type: %s\r\nContent-Length: %d\r\n%s\r\n" % (
            status, handler.responses.get(status, ("",))[0], date or handler.date_time_string(),
            content_type, len(data), extra)
        handler.wfile.write(head.encode("latin-1") + data)  # one write: no small segments

    def _answer(self, handler):
        url = urllib.parse.urlsplit(handler.path)
        host = (url.hostname or handler.headers.get("Host", "")).lower()
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        if host == PARAM_HOST and url.path == PARAM_PATH:
            with self.lock:
                self.requests.append((host, None, None))
            if self.param_status != 200:
                self._send(handler, self.param_status, "bad gateway", "text/plain")
            else:
                self._send(handler, 200, self.param_text.encode("gb18030"),
                           "text/plain; charset=gbk", self.param_date)
            return
        if url.path.startswith("/sorry/"):
            with self.lock:
                self.requests.append((host, None, None))
            self._send(handler, 200, "<p>unusual traffic from your network</p>", "text/html")
            return
        if host in self.hang_hosts and url.path == "/hang.png":
            time.sleep(60)
        if url.path not in ("/search", "/s"):  # a browser's own requests
            self._send(handler, 404, "", "text/plain")
            return
        if "wd" in query:  # the built-in Baidu: /s?wd=..&pn=..&rn=10
            keyword, start = query["wd"][0], int(query.get("pn", ["0"])[0])
        else:
            keyword, start = query.get("q", [""])[0], int(query.get("start", ["0"])[0])
        with self.lock:
            self.requests.append((host, keyword, start))
            if host in self.script_hosts or host in self.cookie_hosts:
                self.cookies.append((host, keyword, handler.headers.get("Cookie")))
            left = self.failures.get((host, keyword), 0)
            if left:
                self.failures[(host, keyword)] = left - 1
            placed = dict(self.hits.get((host, keyword), {}))
        if self.delay_s:
            time.sleep(self.delay_s)
        if host in self.verifying:
            handler.send_response(302)
            handler.send_header("Location", "http://%s/sorry/index?continue=x" % host)
            handler.send_header("Content-Length", "0")
            handler.end_headers()
            return
        if left:
            self._send(handler, 200, BLOCKED_PAGE, "text/html; charset=utf-8")
            return
        items = []
        for rank in range(start + 1, start + 11):
            site = next((s for s, ranks in placed.items() if rank in ranks), None)
            items.append("http://%s/page%d" % (site, rank) if site else "www.other%d.net" % rank)
        if host in self.hang_hosts:
            page = '<html><body><img src="/hang.png"></body></html>'
        elif host in self.script_hosts:
            page = script_page(items, keyword)
        else:
            page = baidu_page(items, start + 1) if "wd" in query else result_page(items)
        extra = ""
        if host in self.cookie_hosts:
            extra = "Set-Cookie: seen=%s; Path=/\r\n" % urllib.parse.quote(keyword)
        self._send(handler, 200, page, "text/html; charset=utf-8", extra=extra)


HEADER = ["日期", "时间", "搜索引擎"]


def write_xls(path, sheets):
    """sheets: [(name, [row, ...])], rows lists of cell values (str or number)."""
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    for name, rows in sheets:
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    sheet.write(r, c, value)
    book.save(path)


def write_xlsx(path, sheets):
    import openpyxl
    book = openpyxl.Workbook()
    book.remove(book.active)
    for name, rows in sheets:
        sheet = book.create_sheet(name)
        for r, row in enumerate(rows, start=1):
            for c, value in enumerate(row, start=1):
                if value is not None:
                    sheet.cell(row=r, column=c, value=value)
    book.save(path)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def cell_text(value):
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return "" if value is None else str(value)


def read_workbook(path):
    """{sheet name: [[cell text, ...], ...]} read back by xlrd or openpyxl."""
    with open(path, "rb") as f:
        magic = f.read(4)
    out = {}
    if magic.startswith(b"PK"):
        import openpyxl
        book = openpyxl.load_workbook(path)
        for sheet in book.worksheets:
            out[sheet.title] = [[cell_text(v) for v in row]
                                for row in sheet.iter_rows(values_only=True)]
    else:
        import xlrd
        book = xlrd.open_workbook(path)
        for sheet in book.sheets():
            out[sheet.name] = [[cell_text(v) for v in sheet.row_values(r)]
                               for r in range(sheet.nrows)]
    for rows in out.values():  # trailing empty cells do not count
        for row in rows:
            while row and row[-1] == "":
                row.pop()
    return out


class RunFolder:
    """A temporary folder as a user sets it up: korvan, 配置.ini, a workbook."""

    def __init__(self, korvan_path, workbook_name="关键字.xls"):
        self.dir = tempfile.mkdtemp(prefix="korvan-e2e-")
        self.exe = os.path.join(self.dir, "korvan.exe" if WINDOWS else "korvan")
        shutil.copy2(korvan_path, self.exe)
        self.workbook = os.path.join(self.dir, workbook_name)

    def close(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def write_ini(self, common=None, engines=None, workbook=None):
        """common: extra keys of 公共; engines: {name: {key: value}}."""
        lines = ["[公共]", "表格文件路径=%s" % (workbook or os.path.basename(self.workbook))]
        lines += ["%s=%s" % kv for kv in (common or {}).items()]
        for name, keys in (engines or {}).items():
            lines.append("[%s]" % name)
            lines += ["%s=%s" % kv for kv in keys.items()]
        with open(os.path.join(self.dir, "配置.ini"), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")

    def write_workbook(self, sheets):
        if self.workbook.endswith(".xlsx"):
            write_xlsx(self.workbook, sheets)
        else:
            write_xls(self.workbook, sheets)

    def read_workbook(self):
        return read_workbook(self.workbook)


class Korvan:
    """One execution of korvan in a run folder, its console read line by
    line on a thread of its own. Everything waits at most `limit_s` seconds
    in all; past that the process is killed and the waits fail."""

    def __init__(self, folder, web, stdin=subprocess.PIPE, limit_s=60, extra_env=None):
        env = {k: v for k, v in os.environ.items()
               if k.lower() not in ("no_proxy", "http_proxy", "https_proxy", "all_proxy")}
        env.update({"http_proxy": web.proxy() if web else "http://127.0.0.1:9",
                    "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8", "TZ": "UTC"})
        command = [folder.exe]
        if WINDOWS:
            command = [WINE_RUN, folder.exe]
        env.update(extra_env or {})
        self.deadline = time.monotonic() + limit_s
        self.lines = []
        self.new_lines = queue.Queue()
        self.proc = subprocess.Popen(command, cwd=folder.dir, stdin=stdin,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env)
        self.rusage = None
        self.returncode = None
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.killer = threading.Timer(limit_s, self._kill)
        self.killer.daemon = True
        self.killer.start()

    def _kill(self):
        if self.proc.poll() is None:
            self.proc.kill()

    def _read(self):
        for raw in self.proc.stdout:
            if WINDOWS:
                line = raw.decode("gb18030", errors="replace").rstrip("\r\n")
            else:
                line = raw.decode("utf-8", errors="replace").rstrip("\n")
            self.lines.append(line)
            self.new_lines.put(line)
        self.new_lines.put(None)

    def wait_line(self, predicate, what=""):
        """Waits for the next line for which predicate(line) holds (a text:
        the line contains it); returns it. Raises AssertionError at the end
        of output or of the time limit."""
        test = predicate if callable(predicate) else (lambda line: predicate in line)
        while True:
            left = self.deadline - time.monotonic()
            if left <= 0:
                raise AssertionError("time limit waiting for %r; output:\n%s" % (
                    what or predicate, "\n".join(self.lines[-40:])))
            try:
                line = self.new_lines.get(timeout=left)
            except queue.Empty:
                continue
            if line is None:
                self.new_lines.put(None)
                raise AssertionError("output ended waiting for %r; output:\n%s" % (
                    what or predicate, "\n".join(self.lines[-40:])))
            if test(line):
                return line

    def wait_menu(self):
        return self.wait_line(lambda line: line == " 3 : 全部重查", "the menu")

    def send(self, data):
        try:
            self.proc.stdin.write(data)
            self.proc.stdin.flush()
        except BrokenPipeError:
            pass  # it ended; the caller's checks say whether it should have

    def close_input(self):
        if self.proc.stdin:
            self.proc.stdin.close()

    def finish(self):
        """Waits for the end; returns the exit code (rusage in self.rusage)."""
        while self.returncode is None:
            try:
                _, status, usage = os.wait4(self.proc.pid, os.WNOHANG)
            except ChildProcessError:
                break
            if _ == self.proc.pid:
                self.returncode = os.waitstatus_to_exitcode(status)
                self.proc.returncode = self.returncode
                self.rusage = usage
                break
            if time.monotonic() > self.deadline + 5:
                raise AssertionError("korvan did not end")
            time.sleep(0.01)
        self.killer.cancel()
        self.reader.join(timeout=10)
        for pipe in (self.proc.stdin, self.proc.stdout):
            if pipe:
                try:
                    pipe.close()
                except OSError:
                    pass
        return self.returncode

    def output(self):
        return "\n".join(self.lines)

# The first line of the banner as a UTF-8 console shows it: box-drawing
# characters take one column there, so each is followed by a piece that
# widens it to the two columns it takes in a GBK console.
BANNER_TOP = "     ┏━┓ " + " " * 50 + "┏━┓ "
