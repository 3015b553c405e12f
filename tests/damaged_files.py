#!/usr/bin/env python3
"""Damaged databases through the command-line program: a fixed-seed set of
broken SQLite files (made here from a demo database) and broken Access files
(made from the shared fixtures). For every file: no crash, no hang, no exit 0
from a SQLite file that fails SQLite's own check, every workbook written opens
in openpyxl, and nothing is left in the temporary directory. Then SQLite files
whose pages are all sound but whose indexes disagree with their tables: they
must be refused outright.

Usage: damaged_files.py ZELKEXTRACT2_CLI FIXTURES_DIR [COUNT]
"""

import concurrent.futures
import csv
import io
import os
import random
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

import openpyxl

SEED = 20261206
BOUND_SECONDS = 60  # the reader child gives up after 10 s without progress
ACCESS_SOURCES = ["V1997-test.mdb", "V2003_no-password.mdb", "V2003-index.mdb", "V2003-queries.mdb",
                  "V2003-desc-index.mdb", "V2003-numeric.mdb", "V2010-test.accdb", "V2016-currency.accdb"]


def sqlite_variants(original, page_size, rnd, count):
    """(label, bytes): cut short, bytes flipped, pages zeroed, pages of noise."""
    pages = len(original) // page_size
    out = []
    while len(out) < count:
        kind = len(out) % 4
        data = bytearray(original)
        if kind == 0:
            if rnd.random() < 0.5:
                length = rnd.randrange(1, pages) * page_size
            else:
                length = rnd.randrange(0, len(original))
            out.append((f"cut at {length}", bytes(data[:length])))
        elif kind == 1:
            hits = rnd.choice([1, 2, 4, 16, 64])
            for _ in range(hits):
                at = rnd.randrange(16, 100) if rnd.random() < 0.1 else rnd.randrange(100, len(data))
                data[at] ^= rnd.randrange(1, 256)
            out.append((f"{hits} bytes flipped", bytes(data)))
        elif kind == 2:
            chosen = sorted(rnd.sample(range(1, pages), rnd.choice([1, 1, 2, 3])))
            for p in chosen:
                data[p * page_size:(p + 1) * page_size] = bytes(page_size)
            out.append((f"pages {chosen} zeroed", bytes(data)))
        else:
            p = rnd.randrange(1, pages)
            data[p * page_size:(p + 1) * page_size] = rnd.randbytes(page_size)
            out.append((f"page {p} noise", bytes(data)))
    return out


def access_variants(fixtures, rnd, count):
    sources = [(name, open(os.path.join(fixtures, name), "rb").read()) for name in ACCESS_SOURCES
               if os.path.exists(os.path.join(fixtures, name))]
    out = []
    i = 0
    while sources and len(out) < count:
        name, original = sources[i % len(sources)]
        page_size = 2048 if name.startswith("V1997") else 4096
        pages = max(1, len(original) // page_size)
        data = bytearray(original)
        kind = (i // len(sources)) % 4
        if kind == 0:
            length = rnd.randrange(0, len(original))
            label, data = f"cut at {length}", data[:length]
        elif kind == 1:
            hits = rnd.choice([1, 4, 16, 64, 256])
            for _ in range(hits):
                data[rnd.randrange(0x14, len(data))] = rnd.randrange(256)
            label = f"{hits} bytes changed"
        elif kind == 2:
            p = rnd.randrange(1, pages) if pages > 1 else 0
            data[p * page_size:(p + 1) * page_size] = bytes(page_size)
            label = f"page {p} zeroed"
        else:
            for p in range(1 + rnd.randrange(3), pages, 3):
                data[p * page_size:(p + 1) * page_size] = rnd.randbytes(page_size)
            label = "every third page noise"
        out.append((f"{name} {label}", bytes(data), ".accdb" if name.endswith(".accdb") else ".mdb"))
        i += 1
    return out


# ---- Access damage the reader can prove: it must refuse the file

DAMAGE_MESSAGE = "is beschadigd"


def pages_read(path, data, page_size):
    """The data pages whose rows the copy reads, the catalog's and the user
    tables' (by the owner each data page names), each with whether it holds
    live rows of a user table, whose row count the reader compares. The user
    tables are taken from the catalog as mdbtools' own export of it lists them
    (type 1, no system flag)."""
    export = subprocess.run(["mdb-export", path, "MSysObjects"], capture_output=True, text=True, errors="replace")
    definitions = {2}
    for row in csv.DictReader(io.StringIO(export.stdout)):
        if row["Type"] == "1" and int(row["Flags"]) & 0x80000002 == 0:
            definitions.add(int(row["Id"]) & 0xFFFFFF)
    row_count = 8 if page_size == 2048 else 12
    needed = []
    for p in range(1, len(data) // page_size):
        at = p * page_size
        owner = int.from_bytes(data[at + 4:at + 8], "little")
        if data[at] == 0x01 and owner in definitions:
            rows = int.from_bytes(data[at + row_count:at + row_count + 2], "little")
            slots = range(at + row_count + 2, at + row_count + 2 + 2 * rows, 2)
            counted = owner != 2 and any(not data[s + 1] & 0x80 for s in slots)
            needed.append((p, counted))
    return needed


def access_refusal_cases(fixtures, rnd):
    """(label, bytes, suffix, refused): every data page the copy reads zeroed
    in turn, with its type changed and, where it holds counted rows, its owner
    changed, cuts at page borders below the
    last of them and lengths of no whole number of pages, all of which must be
    refused as damaged; and the undamaged files, which must not be."""
    out = []
    for name in ACCESS_SOURCES:
        path = os.path.join(fixtures, name)
        if not os.path.exists(path):
            continue
        original = open(path, "rb").read()
        suffix = ".accdb" if name.endswith(".accdb") else ".mdb"
        page_size = 2048 if name.startswith("V1997") else 4096
        needed = pages_read(path, original, page_size)
        out.append((f"{name} undamaged", original, suffix, False))
        for p, counted in needed:
            data = bytearray(original)
            data[p * page_size:(p + 1) * page_size] = bytes(page_size)
            out.append((f"{name} data page {p} zeroed", bytes(data), suffix, True))
            for at in [0] + ([rnd.choice([4, 5, 6])] if counted else []):
                data = bytearray(original)
                data[p * page_size + at] ^= rnd.randrange(1, 256)
                out.append((f"{name} data page {p} byte {at} flipped", bytes(data), suffix, True))
        last = needed[-1][0]
        for pages in sorted({last} | set(rnd.sample(range(3, last + 1), min(3, max(0, last - 2))))):
            out.append((f"{name} cut at page {pages}", original[:pages * page_size], suffix, True))
        length = len(original) - rnd.randrange(1, page_size)
        out.append((f"{name} cut at {length}", original[:length], suffix, True))
        out.append((f"{name} {page_size // 2} bytes added", original + bytes(page_size // 2), suffix, True))
    return out


def run_access_refusal(cli, work, index, label, data, suffix, refused):
    """The problems of one run: a damaged file not refused, or a sound one refused."""
    case = os.path.join(work, f"refusal{index}")
    os.makedirs(os.path.join(case, "home"))
    db = os.path.join(case, "db" + suffix)
    with open(db, "wb") as f:
        f.write(data)
    env = dict(os.environ, HOME=os.path.join(case, "home"), XDG_CONFIG_HOME=os.path.join(case, "home"))
    try:
        p = subprocess.run([cli, "export", "--database", db, "--output", os.path.join(case, "out"), "mapping"],
                           capture_output=True, text=True, errors="replace", env=env, timeout=BOUND_SECONDS)
    except subprocess.TimeoutExpired:
        return [f"{label}: no end within {BOUND_SECONDS} s"]
    finally:
        shutil.rmtree(case, ignore_errors=True)
    said = DAMAGE_MESSAGE in p.stdout + p.stderr
    if refused and (p.returncode != 1 or not said):
        return [f"{label}: not refused as damaged (exit {p.returncode}) {p.stdout[-300:]}"]
    if not refused and said:
        return [f"{label}: refused as damaged {p.stdout[-300:]}"]
    return []


def check_access_refusals(cli, fixtures, rnd):
    cases = access_refusal_cases(fixtures, rnd)
    with tempfile.TemporaryDirectory() as work:
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            found = list(pool.map(lambda i: run_access_refusal(cli, work, i, *cases[i]), range(len(cases))))
    print(f"{len(cases)} Access files that must be refused or not ({sum(c[3] for c in cases)} damaged)")
    return [p for problems in found for p in problems]


def fails_check(path):
    """True when SQLite's own integrity_check does not pass the file."""
    try:
        con = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
        con.text_factory = bytes
        try:
            return con.execute("PRAGMA integrity_check(1)").fetchone()[0] != b"ok"
        finally:
            con.close()
    except (sqlite3.DatabaseError, UnicodeDecodeError):  # the latter: a damaged name in the message
        return True


def workbook_opens(path):
    try:
        wb = openpyxl.load_workbook(path, read_only=True)
        for ws in wb.worksheets:
            for _ in ws.iter_rows(values_only=True):
                pass
        wb.close()
        return None
    except Exception as e:  # any reader failure is the finding
        return f"{type(e).__name__}: {e}"


def run_one(cli, work, index, label, data, suffix, exports, is_sqlite):
    """Whether the file fails SQLite's check, and the problems found with it."""
    case = os.path.join(work, f"case{index}")
    os.makedirs(os.path.join(case, "out"))
    os.makedirs(os.path.join(case, "tmp"))
    os.makedirs(os.path.join(case, "home"))
    db = os.path.join(case, "db" + suffix)
    with open(db, "wb") as f:
        f.write(data)
    damaged = is_sqlite and fails_check(db)
    env = dict(os.environ, HOME=os.path.join(case, "home"), XDG_CONFIG_HOME=os.path.join(case, "home"),
               TMPDIR=os.path.join(case, "tmp"))
    problems = []
    start = time.monotonic()
    try:
        p = subprocess.run([cli, "export", "--database", db, "--output", os.path.join(case, "out"),
                            "--date", "31-03-2026", "--now", "2026-04-01T10:00:00", *exports],
                           capture_output=True, text=True, errors="replace", env=env, timeout=BOUND_SECONDS)
    except subprocess.TimeoutExpired:
        return damaged, [f"{label}: no end within {BOUND_SECONDS} s"], BOUND_SECONDS
    seconds = time.monotonic() - start
    if p.returncode < 0 or p.returncode > 2 or "Sanitizer" in p.stderr or "runtime error:" in p.stderr:
        problems.append(f"{label}: crashed (exit {p.returncode}) {p.stderr[-400:]}")
    if damaged and p.returncode == 0:
        problems.append(f"{label}: fails SQLite's check, yet exit 0")
    for name in sorted(os.listdir(os.path.join(case, "out"))):
        if name.endswith(".xlsx"):
            error = workbook_opens(os.path.join(case, "out", name))
            if error:
                problems.append(f"{label}: {name} does not open: {error}")
    left = os.listdir(os.path.join(case, "tmp"))
    if left:
        problems.append(f"{label}: left in the temporary directory: {left}")
    shutil.rmtree(case, ignore_errors=True)
    return damaged, problems, seconds


def planted_index_damage(cli, work, demo):
    """SQLite files whose every page is sound but whose indexes disagree with
    their tables: one index that misses rows (the quick check passes it, and a
    seek in it misses history records), one whose root page is another table's.
    The integrity check beside the export must refuse both: exit 1, error 3049
    named, no workbook. The problems found."""
    history_index = "CREATE INDEX OgCodRev ON Historie (OGCODE, ICCODE, VLGNUM, DatBoe DESC)"
    plants = {
        "index missing rows": [
            "DROP INDEX OgCodRev",
            history_index + " WHERE RECNO % 3 <> 1",
            "PRAGMA writable_schema = ON",
            f"UPDATE sqlite_schema SET sql = '{history_index}' WHERE name = 'OgCodRev'",
        ],
        "index root on another table": [
            "PRAGMA writable_schema = ON",
            "UPDATE sqlite_schema SET rootpage = (SELECT rootpage FROM sqlite_schema WHERE name = 'OB') "
            "WHERE name = 'OgCodRev'",
        ],
    }
    problems = []
    for label, statements in plants.items():
        case = os.path.join(work, "planted-" + label.replace(" ", "-"))
        out, home = os.path.join(case, "out"), os.path.join(case, "home")
        os.makedirs(out)
        os.makedirs(home)
        db = os.path.join(case, "db.sqlite")
        shutil.copy(demo, db)
        con = sqlite3.connect(db)
        for statement in statements:
            con.execute(statement)
        con.commit()
        con.close()
        if not fails_check(db):
            problems.append(f"{label}: not planted, the file passes SQLite's check")
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home)
        p = subprocess.run([cli, "export", "--database", db, "--output", out, "--date", "31-03-2026", "all"],
                           capture_output=True, text=True, errors="replace", env=env, timeout=BOUND_SECONDS)
        if p.returncode != 1:
            problems.append(f"{label}: exit {p.returncode}, not 1")
        if "3049" not in p.stderr or "beschadigd" not in p.stderr:
            problems.append(f"{label}: the damage is not named: {p.stderr[-600:]}")
        if os.listdir(out):
            problems.append(f"{label}: workbooks written: {os.listdir(out)}")
    return problems


def main():
    # Without the sample files the build passes no folder at all.
    cli = sys.argv[1]
    fixtures = os.path.join(sys.argv[2], "access") if len(sys.argv) > 2 and sys.argv[2] else ""
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 200
    rnd = random.Random(SEED)
    with tempfile.TemporaryDirectory() as work:
        demo = os.path.join(work, "demo.db")
        made = subprocess.run([cli, "demo-database", demo, "--assets", "20"], capture_output=True, text=True)
        if made.returncode != 0:
            print("demo database not made:", made.stdout, made.stderr)
            return 1
        con = sqlite3.connect(demo)
        page_size = con.execute("PRAGMA page_size").fetchone()[0]
        con.close()
        original = open(demo, "rb").read()
        cases = [(label, data, ".db", ["all"], True) for label, data in
                 sqlite_variants(original, page_size, rnd, count)]
        if os.path.isdir(fixtures):
            cases += [(label, data, suffix, ["mapping"], False) for label, data, suffix in
                      access_variants(fixtures, rnd, count)]
        else:
            print(f"no Access fixtures in {fixtures}: only the SQLite files")

        damaged = 0
        problems = planted_index_damage(cli, work, demo)
        slowest = []
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            futures = [pool.submit(run_one, cli, work, i, *case) for i, case in enumerate(cases)]
            for future in futures:
                failed_check, found, seconds = future.result()
                slowest.append((seconds, futures.index(future)))
                damaged += failed_check
                problems += found
    if os.path.isdir(fixtures) and shutil.which("mdb-export"):
        problems += check_access_refusals(cli, fixtures, random.Random(SEED))
    slowest.sort(reverse=True)
    print("slowest:", ", ".join(f"{cases[i][0]} {s:.1f} s" for s, i in slowest[:5]))
    for p in problems:
        print("FAILED", p)
    print(f"{len(cases)} damaged files ({damaged} SQLite files fail SQLite's check): {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
