#!/usr/bin/env python3
"""The command-line program as a script sees it: exit status, stdout carries
the message lines, stderr the message boxes, fixed workbook names replaced."""

import os
import sqlite3
import subprocess
import sys
import tempfile

cli = sys.argv[1]
failures = []
checks = 0


def run(*args):
    return subprocess.run([cli, *args], capture_output=True, text=True)


def check(name, condition, detail=""):
    global checks
    checks += 1
    if not condition:
        failures.append(name)
        print(f"FAILED {name} {detail}")


with tempfile.TemporaryDirectory() as d:
    db = os.path.join(d, "demo.db")
    check("demo database", run("demo-database", db, "--assets", "20").returncode == 0)
    check("demo refuses to overwrite", run("demo-database", db).returncode != 0)

    check("no export named", run("export", "--database", db).returncode == 2)
    check("unknown export", run("export", "--database", db, "alles").returncode == 2)
    check("bad --date", run("export", "--database", db, "--date", "31-02-2026", "roerend").returncode == 2)
    check("bad --now", run("export", "--database", db, "--now", "2026-12-06 10:00", "roerend").returncode == 2)

    missing = run("export", "--database", os.path.join(d, "weg.db"), "--output", d, "mapping")
    check("missing database exits 1", missing.returncode == 1, missing.stdout + missing.stderr)
    check("missing database is named", "3024" in missing.stdout, missing.stdout)

    stale = os.path.join(d, "mapping.xlsx")
    with open(stale, "w") as f:
        f.write("oud")
    ok = run("export", "--database", db, "--output", d, "--now", "2026-12-06T10:15:03", "mapping", "roerend")
    check("exports exit 0", ok.returncode == 0, ok.stderr)
    check("message lines on stdout", "Export2 wordt opgestart\n" in ok.stdout and ok.stdout.count("Done\n") == 2,
          ok.stdout)
    check("no message boxes", ok.stderr == "", ok.stderr)
    check("workbook replaced", open(stale, "rb").read(2) == b"PK")
    check("roerend written", os.path.exists(os.path.join(d, "roerend.xlsx")))

    broken = os.path.join(d, "kapot.db")
    con = sqlite3.connect(db)
    con.execute("VACUUM INTO ?", (broken,))
    con.close()
    con = sqlite3.connect(broken)
    con.execute("DROP TABLE Historie")
    con.commit()
    con.close()
    bad = run("export", "--database", broken, "--output", d, "roerend", "mapping")
    check("failed export exits 1", bad.returncode == 1, bad.stdout)
    check("failure box on stderr",
          "De functie 'Aanmaken overzicht 1a' niet correct beëindigd" in bad.stderr, bad.stderr)
    check("the other export still runs", "Export2 wordt opgestart" in bad.stdout and "Done" in bad.stdout)

    # A row that cannot be written: the workbook is saved, the run is not clean.
    long_name = os.path.join(d, "lang.db")
    con = sqlite3.connect(db)
    con.execute("VACUUM INTO ?", (long_name,))
    con.close()
    con = sqlite3.connect(long_name)
    con.execute("UPDATE OG SET OG_Naam = ? WHERE rowid = (SELECT min(rowid) FROM OG)", ("x" * 40000,))
    con.commit()
    con.close()
    out = os.path.join(d, "lang")
    os.mkdir(out)
    lost = run("export", "--database", long_name, "--output", out, "mapping")
    check("lost rows exit 1", lost.returncode == 1, lost.stdout)
    check("lost rows counted", " rijen niet weggeschreven\nDone\n" in lost.stdout, lost.stdout)
    check("workbook with lost rows saved", os.path.exists(os.path.join(out, "mapping.xlsx")))

    # The same --now gives the same bytes.
    same = []
    for name in ("een", "twee"):
        folder = os.path.join(d, name)
        os.mkdir(folder)
        run("export", "--database", db, "--output", folder, "--now", "2026-12-06T10:15:03", "--date", "31-03-2026",
            "roerend")
        with open(os.path.join(folder, "roerend.xlsx"), "rb") as f:
            same.append(f.read())
    check("same --now, same bytes", same[0] == same[1])

print(f"{checks - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
