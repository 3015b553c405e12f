#!/usr/bin/env python3
"""Every table and column of the administration, taken away one at a time:
an export that fails must name what is missing on stderr, and an export that
still works must not claim anything is missing. So the check before each
export lists exactly what the export reads. The history lookup is the one
reader that goes on past a field or an index it cannot read (it counts the
objects whose history it could not read, and the run ends with exit 1): there
the missing column or index must be named all the same. Indexes are taken
away too: only the two the history lookup seeks in are named."""

import os
import re
import sqlite3
import subprocess
import sys
import tempfile

cli = sys.argv[1]
EXPORTS = ("roerend", "onroerend", "mapping")
failures = []


def export(db, out, word):
    r = subprocess.run([cli, "export", "-d", db, "-o", out, "--now", "2026-12-06T10:15:03", "-D", "31-12-2025",
                        word], capture_output=True, text=True)
    return r.returncode, re.findall(r"^(?:Tabel|Kolom|Index) '([^']*)' ontbreekt", r.stderr, re.M)


with tempfile.TemporaryDirectory() as d:
    demo = os.path.join(d, "demo.db")
    subprocess.run([cli, "demo-database", demo, "--assets", "30", "--seed", "1"], check=True, capture_output=True)
    con = sqlite3.connect(demo)
    tables = [r[0] for r in con.execute("SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name")]
    columns = {t: [r[1] for r in con.execute(f"SELECT * FROM pragma_table_info('{t}')")] for t in tables}
    indexes = [(r[0], r[1]) for r in con.execute(
        "SELECT tbl_name, name FROM sqlite_schema WHERE type = 'index' AND sql IS NOT NULL ORDER BY name")]
    con.close()

    for word in EXPORTS:
        code, named = export(demo, d, word)
        if code != 0 or named:
            failures.append(f"{word} on the whole demo: exit {code}, named {named}")

    cases = [(t, None, None) for t in tables] + [(t, c, None) for t in tables for c in columns[t]]
    cases += [(t, None, i) for t, i in indexes]
    for table, column, index in cases:
        db = os.path.join(d, "weg.db")
        if os.path.exists(db):
            os.remove(db)
        con = sqlite3.connect(demo)
        con.execute("VACUUM INTO ?", (db,))
        con.close()
        con = sqlite3.connect(db)
        for (view,) in con.execute("SELECT name FROM sqlite_schema WHERE type = 'view'").fetchall():
            con.execute(f'DROP VIEW "{view}"')  # the exports' stored queries, over the tables
        if index is not None:
            con.execute(f'DROP INDEX "{index}"')
            expected = f"{table}.{index}"
        elif column is None:
            con.execute(f'ALTER TABLE "{table}" RENAME TO "{table}_weg"')
            expected = table
        else:
            con.execute(f'ALTER TABLE "{table}" RENAME COLUMN "{column}" TO "{column}_weg"')
            expected = f"{table}.{column}"
        con.commit()
        con.close()
        for word in EXPORTS:
            code, named = export(db, d, word)
            history = word != "mapping" and table in ("Historie", "HI_Waardering")
            if index is not None:
                # Only the lookup's own indexes matter; without one no object's history reads.
                needed = history and (table, index) in (("Historie", "OgCodRev"), ("HI_Waardering", "OgCode"))
                if named != ([expected] if needed else []) or code != (1 if needed else 0):
                    failures.append(f"{word} without index {expected}: exit {code}, named {named}")
            elif named != ([expected] if code != 0 or history else []):
                failures.append(f"{word} without {expected}: exit {code}, named {named}")

for f in failures:
    print("FAILED", f)
print(f"{len(failures)} failed")
sys.exit(1 if failures else 0)
