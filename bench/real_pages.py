#!/usr/bin/python3
"""How well the engine definitions read real result pages.

Runs the built korvan_e2e (the program with the test address of the
parameter page) over a folder of archived result pages, each with a person's
annotation (<engine>/<stem>.html and .json, see that folder's README.md), and
prints per engine the pages, the (page, host) cases and the share of cases in
which the rank korvan writes equals the annotated rank.

For every page one korvan execution: the parameter page (https addresses
turned into http) comes from the loopback web of the end-to-end tests, which
answers every result-page request with the archived page in its own charset;
the workbook has one worksheet per annotated host and one keyword that stops
at the first hit and looks through one page. A case counts when the host
occurs in the page's bytes and every result before its first annotated rank
has a known host; its expected rank is the smallest annotated rank among the
results whose host contains it.

Usage: real_pages.py KORVAN_E2E [--pages DIR] [--params FILE] [--builtin]
                     [--engine NAME] [--all-years] [--show-misses]
  --builtin   measure the built-in definitions (the parameter page fails)
  --all-years include the pages archived before 2011
Build target: cmake --build build --target real_pages_bench (both sets).
"""
import argparse
import warnings
import json
import os
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import korvan_e2e as k  # noqa: E402

# Folder of the archived pages -> the engine's name in the parameter page.
ENGINES = [("baidu", "百度"), ("360", "360So"), ("sogou", "搜狗"), ("bing", "必应"),
           ("google", "谷歌")]
GOALS = {"百度": 95, "360So": 95, "搜狗": 95, "必应": 95, "谷歌": 90}
# Per-page counts of the built-in engines (the same for all of them).
BUILTIN = {"百度": 10, "谷歌": 10, "360So": 10}
FIRST_YEAR = 2011  # older pages do not wrap their results in a tag pair


class ArchivedPageWeb(k.LoopbackWeb):
    """The loopback web with one archived page as every result page."""

    body = b""
    content_type = "text/html"

    def _answer(self, handler):
        if (handler.headers.get("Host", "").lower() == k.PARAM_HOST
                or handler.path.startswith("http://" + k.PARAM_HOST)):
            return super()._answer(handler)
        with self.lock:
            self.requests.append((handler.path, "page", 0))
        self._send(handler, 200, self.body, self.content_type)


def engine_blocks(text):
    """{name: (per-page count)} of the blocks of a parameter page."""
    lines = [line.strip() for line in text.split("\r\n") if line.strip()]
    blocks, name, at = {}, None, 0
    for line in lines:
        if line.startswith("[") and line.find("]") == len(line) - 1:
            name, at = line[1:-1], 0
            blocks[name] = 10
            continue
        at += 1
        if name is not None and at == 3:
            blocks[name] = int(line) if line.lstrip("-").isdigit() else 10
    return blocks


def cases_of(annotation, raw):
    """[(host, expected rank)] of one annotated page."""
    results = sorted(annotation["results"], key=lambda r: r["rank"])
    page = raw.lower()
    out = []
    for host in dict.fromkeys(r["host"] for r in results if r.get("host")):
        if host.encode("utf-8") not in page:
            continue
        rank = min(r["rank"] for r in results if r.get("host") and host in r["host"])
        if any(r.get("host") is None for r in results if r["rank"] < rank):
            continue
        out.append((host, rank))
    return out


def run_page(korvan, web, name, per_page, cases):
    """{host: cell text} that korvan writes for the page's hosts."""
    folder = k.RunFolder(korvan, "pages.xlsx")
    try:
        keyword = "kw-0-%d" % per_page
        folder.write_workbook([(host, [k.HEADER + [keyword]]) for host, _ in cases])
        folder.write_ini(common={"暂停时间": "0", "访问时限": "20000"},
                         engines={name: {"启用": ",".join(h for h, _ in cases)}})
        run = k.Korvan(folder, web, limit_s=120)
        run.wait_menu()
        run.send(b"1")
        if run.finish() != 0:
            raise SystemExit("korvan failed:\n" + run.output()[-3000:])
        book = folder.read_workbook()
        cells = {}
        for host, _ in cases:
            rows = [r for r in book.get(host, [])[1:] if len(r) > 2 and r[2] == name]
            cells[host] = rows[0][3] if rows and len(rows[0]) > 3 else ""
        return cells
    finally:
        folder.close()


def measure(args, builtin):
    web = ArchivedPageWeb()
    try:
        if builtin:
            web.param_status = 502
            per_page = BUILTIN
        else:
            with open(args.params, "rb") as f:
                text = f.read().decode("utf-8")
            web.param_text = text.replace("https://", "http://")
            per_page = engine_blocks(text)
        title = "built-in definitions" if builtin else os.path.relpath(args.params, os.getcwd())
        print("%s on %s%s:" % (title, args.pages, "" if args.all_years else
                                " (pages from %d on)" % FIRST_YEAR))
        for folder_name, name in ENGINES:
            if args.engine and args.engine not in (folder_name, name):
                continue
            pages = cases_total = right = 0
            misses = []
            directory = os.path.join(args.pages, folder_name)
            stems = sorted(f[:-5] for f in os.listdir(directory) if f.endswith(".json"))
            for stem in stems:
                with open(os.path.join(directory, stem + ".json"), encoding="utf-8") as f:
                    annotation = json.load(f)
                if not args.all_years and int(annotation["year"]) < FIRST_YEAR:
                    continue
                with open(os.path.join(directory, stem + ".html"), "rb") as f:
                    raw = f.read()
                cases = cases_of(annotation, raw)
                pages += 1
                if not cases or name not in per_page:
                    cases_total += len(cases)
                    misses += [(stem, h, r, "no definition") for h, r in cases]
                    continue
                web.body = raw
                web.content_type = annotation.get("content_type") or "text/html"
                cells = run_page(args.korvan, web, name, per_page[name], cases)
                for host, rank in cases:
                    cases_total += 1
                    if cells[host] == str(rank):
                        right += 1
                    else:
                        misses.append((stem, host, rank, cells[host]))
            share = 100.0 * right / cases_total if cases_total else 0.0
            goal = GOALS[name]
            print("  %-6s %3d pages %4d cases %4d right %6.1f%%  (goal %d%%: %s)%s" % (
                name, pages, cases_total, right, share, goal,
                "met" if share >= goal else "NOT met",
                "" if name in per_page else "  no definition"))
            if args.show_misses:
                for stem, host, rank, cell in misses:
                    print("      %s %s: annotated %d, written %r" % (stem, host, rank, cell))
    finally:
        web.close()


def main():
    warnings.filterwarnings("ignore", message="Title is more than 31 characters")
    parser = argparse.ArgumentParser()
    parser.add_argument("korvan")
    parser.add_argument("--pages", default=os.path.normpath(os.path.join(ROOT, "..", "shared",
                                                                        "real-pages")))
    parser.add_argument("--params", default=os.path.join(ROOT, "params", "run-params.txt"))
    parser.add_argument("--builtin", action="store_true")
    parser.add_argument("--both", action="store_true", help="new and built-in definitions")
    parser.add_argument("--engine")
    parser.add_argument("--all-years", action="store_true")
    parser.add_argument("--show-misses", action="store_true")
    args = parser.parse_args()
    args.korvan = os.path.abspath(args.korvan)
    args.params = os.path.abspath(args.params)
    if args.both or not args.builtin:
        measure(args, builtin=False)
    if args.both or args.builtin:
        measure(args, builtin=True)


if __name__ == "__main__":
    main()
