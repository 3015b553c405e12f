#!/usr/bin/env python3
"""The demo administration (fixed seed) exported with a fixed date and time
must give exactly the checked-in cells: every value with its type, read back
by an independent reader. Run with --update to write new expected files after
a deliberate change, then review the diff."""

import datetime
import json
import os
import subprocess
import sys
import tempfile

import openpyxl

EXPORTS = ("roerend", "onroerend", "mapping")


def cell_record(cell):
    v = cell.value
    if isinstance(v, bool):
        return [cell.coordinate, "bool", v]
    if isinstance(v, (int, float)):
        return [cell.coordinate, "number", round(float(v), 9)]
    if isinstance(v, datetime.datetime):
        return [cell.coordinate, "date", v.isoformat()]
    if isinstance(v, datetime.time):
        return [cell.coordinate, "time", v.isoformat()]
    return [cell.coordinate, "text", v]


def read_workbook(path):
    wb = openpyxl.load_workbook(path)
    sheets = {}
    for ws in wb.worksheets:
        cells = [cell_record(c) for row in ws.iter_rows() for c in row if c.value is not None]
        bold = sorted(c.coordinate for row in ws.iter_rows(max_row=5) for c in row if c.value is not None and c.font.b)
        formats = {}
        for row in ws.iter_rows(min_row=8, max_row=8):
            for c in row:
                if c.value is not None and c.number_format != "General":
                    formats[c.column_letter] = c.number_format
        sheets[ws.title] = {"cells": cells, "bold": bold, "row8_formats": formats}
    return {"sheets": list(sheets), "content": sheets}


def main():
    cli, golden_dir = sys.argv[1], sys.argv[2]
    update = "--update" in sys.argv[3:]
    with tempfile.TemporaryDirectory() as out:
        db = os.path.join(out, "demo.db")
        subprocess.run([cli, "demo-database", db, "--seed", "1"], check=True, stdout=subprocess.DEVNULL)
        run = subprocess.run([cli, "export", "--database", db, "--date", "31-12-2025", "--now",
                              "2026-12-06T10:15:03", "--output", out, "all"], capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stdout, run.stderr)
            return 1
        failures = 0
        for name in EXPORTS:
            actual = read_workbook(os.path.join(out, name + ".xlsx"))
            expected_path = os.path.join(golden_dir, name + ".json")
            if update:
                with open(expected_path, "w", encoding="utf-8") as f:
                    json.dump(actual, f, ensure_ascii=False, indent=0)
                    f.write("\n")
                continue
            with open(expected_path, encoding="utf-8") as f:
                expected = json.load(f)
            if actual == expected:
                print(f"{name}: {sum(len(s['cells']) for s in actual['content'].values())} cells as expected")
                continue
            failures += 1
            print(f"{name}: differs from {expected_path}")
            for sheet, exp in expected["content"].items():
                act = actual["content"].get(sheet, {"cells": [], "bold": [], "row8_formats": {}})
                a = {c[0]: c for c in act["cells"]}
                e = {c[0]: c for c in exp["cells"]}
                shown = 0
                for coord in sorted(set(a) | set(e)):
                    if a.get(coord) != e.get(coord) and shown < 20:
                        print(f"  {sheet}!{coord}: expected {e.get(coord)}, got {a.get(coord)}")
                        shown += 1
                if act["bold"] != exp["bold"]:
                    print(f"  {sheet}: bold cells differ")
                if act["row8_formats"] != exp["row8_formats"]:
                    print(f"  {sheet}: formats differ: {act['row8_formats']} vs {exp['row8_formats']}")
        print(f"{len(EXPORTS) - failures} passed, {failures} failed")
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
