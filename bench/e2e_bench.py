#!/usr/bin/python3
"""End-to-end benchmark of the korvan executable: a workbook of 10 sites
(sheets) that follow the same 100 keywords, 4 engines enabled for every
sheet, PauseTime 0, against the loopback web of the end-to-end tests. Prints
the wall time of the whole execution, korvan's CPU time (user + system), its
peak resident memory (from os.wait4's rusage), the result pages requested
and the distinct result pages among them: one request per result page and
run means the two are equal.

Usage: e2e_bench.py KORVAN_EXE [--sheets N] [--keywords N] [--format xls|xlsx|both]
Build target: cmake --build build --target e2e_bench (runs korvan_e2e, the
executable with the test address of the parameter page built in).
"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import korvan_e2e as k  # noqa: E402

ENGINES = [("E%d" % i, "e%d.korvan.test" % i) for i in range(1, 5)]


def run_once(korvan, fmt, sheets, keywords):
    web = k.LoopbackWeb()
    web.param_text = k.param_page(ENGINES)
    folder = k.RunFolder(korvan, "bench." + fmt)
    try:
        names = ["site%02d.test" % s for s in range(sheets)]
        kws = ["kw%03d" % i for i in range(keywords)]
        folder.write_workbook([(n, [k.HEADER + kws]) for n in names])
        folder.write_ini(common={"暂停时间": "0"},
                         engines={e: {"启用": ",".join(names)} for e, _ in ENGINES})
        for _, host in ENGINES:
            for i, kw in enumerate(kws):
                web.hits[(host, kw)] = {n: [1 + i % 10] for n in names} if i % 4 else {}
        start = time.monotonic()
        run = k.Korvan(folder, web, limit_s=600)
        run.wait_menu()
        run.send(b"1")
        code = run.finish()
        wall = time.monotonic() - start
        if code != 0:
            raise SystemExit("korvan ended with %s:\n%s" % (code, run.output()[-3000:]))
        failed = [l for l in run.lines if l.startswith("共有 【")]
        book = folder.read_workbook()
        rows = sum(len(r) - 1 for r in book.values())
        usage = run.rusage
        pages = [(h, kw, start) for h, kw, start in web.requests if kw is not None]
        requests, distinct = len(pages), len(set(pages))
        if distinct < keywords * len(ENGINES) or rows != sheets * len(ENGINES):
            raise SystemExit(
                "%d distinct result pages and %d rows instead of at least %d and %d: does the "
                "executable fetch its parameter page from http://%s%s ?" % (
                    distinct, rows, keywords * len(ENGINES), sheets * len(ENGINES),
                    k.PARAM_HOST, k.PARAM_PATH))
        print("%-4s %d sheets x %d keywords x %d engines: wall %.2f s, korvan CPU %.2f s "
              "(user %.2f, system %.2f), peak memory %.1f MiB; %d result pages requested, "
              "%d distinct; %d rows written%s"
              % (fmt, sheets, keywords, len(ENGINES), wall, usage.ru_utime + usage.ru_stime,
                 usage.ru_utime, usage.ru_stime, usage.ru_maxrss / 1024.0, requests, distinct,
                 rows, "; " + failed[0] if failed else ""))
    finally:
        web.close()
        folder.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("korvan")
    parser.add_argument("--sheets", type=int, default=10)
    parser.add_argument("--keywords", type=int, default=100)
    parser.add_argument("--format", choices=["xls", "xlsx", "both"], default="both")
    args = parser.parse_args()
    for fmt in (["xls", "xlsx"] if args.format == "both" else [args.format]):
        run_once(os.path.abspath(args.korvan), fmt, args.sheets, args.keywords)


if __name__ == "__main__":
    main()
