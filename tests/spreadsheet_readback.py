#!/usr/bin/env python3
"""Reads a workbook written by the program with an independent reader
(openpyxl) and checks every cell's value and type, the bold range, number
formats, column widths and sheet names.

Usage: spreadsheet_readback.py ZELK_TESTS_BINARY
Runs the test XlsxFixture.ReadbackSample of the binary to write the workbook.
"""
import datetime
import os
import re
import subprocess
import sys
import tempfile

import openpyxl


def main():
    binary = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "readback.xlsx")
        env = dict(os.environ, ZELK_READBACK_XLSX=path)
        subprocess.run([binary, "--gtest_filter=XlsxFixture.ReadbackSample"], check=True, env=env,
                       stdout=subprocess.DEVNULL)
        wb = openpyxl.load_workbook(path)
        failures = check(wb)
        edges = os.path.join(tmp, "edges.xlsx")
        env = dict(os.environ, ZELK_READBACK_EDGES_XLSX=edges)
        subprocess.run([binary, "--gtest_filter=EdgesFixture.ReadbackEdges"], check=True, env=env,
                       stdout=subprocess.DEVNULL)
        failures += check_edges(openpyxl.load_workbook(edges))
    for f in failures:
        print("FOUT:", f)
    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


def check(wb):
    failures = []

    def expect(what, got, want):
        if got != want:
            failures.append(f"{what}: {got!r}, verwacht {want!r}")

    # Type letters: s text, n number, b Boolean, d a number shown as a date.
    expect("bladen", wb.sheetnames, ["ZELK-Extract-1", "Tweede"])
    expect("actief blad", wb.active.title, "ZELK-Extract-1")
    ws = wb["ZELK-Extract-1"]

    cells = {
        "A1": ("(ZELK-Extract-1)", "s"),
        "E1": ("COM", "s"),
        "A2": (datetime.time(10, 15, 3), "d"),
        "A4": ("Description", "s"),
        "D4": ("Asset Number", "s"),
        "F4": ("Leeg", "s"),
        "A8": ("=SUM(A1:A2)", "s"),
        "B8": (1234.5678, "n"),
        "C8": (datetime.datetime(2010, 1, 31), "d"),
        "D8": ("000123", "s"),
        "E8": (813121, "n"),
        "F8": (True, "b"),
        "A9": ("Ça coûte € 5 & <meer>", "s"),
        "B9": (-0.5, "n"),
        "C9": (datetime.datetime(1900, 1, 1), "d"),
        "D9": (None, "n"),
        "E9": (datetime.datetime(2026, 12, 6, 10, 15, 3), "d"),
    }
    for ref, (value, kind) in cells.items():
        c = ws[ref]
        got = c.value
        if isinstance(value, datetime.time) and isinstance(got, datetime.datetime):
            got = got.time()
        expect(f"{ref} waarde", got, value)
        expect(f"{ref} soort", c.data_type, kind)
    # Nothing outside the written cells.
    for ref in ("A3", "A5", "A6", "A7", "G8", "F9", "A10"):
        expect(f"{ref} leeg", ws[ref].value, None)

    for row in range(1, 5):
        for col in "ABCD":
            expect(f"{col}{row} vet", ws[f"{col}{row}"].font.b, True)
    for ref in ("F4", "A5", "A8", "E1"):
        expect(f"{ref} niet vet", bool(ws[ref].font.b), False)

    expect("A2 opmaak", ws["A2"].number_format, "h:mm:ss")
    expect("B8 opmaak", ws["B8"].number_format, "##0_-")
    expect("B9 opmaak", ws["B9"].number_format, "##0_-")
    expect("C8 opmaak", ws["C8"].number_format, "D-MMM-YYYY")
    expect("C9 opmaak", ws["C9"].number_format, "D-MMM-YYYY")
    expect("E9 opmaak", ws["E9"].number_format, "d-m-yyyy h:mm:ss")
    expect("A8 opmaak", ws["A8"].number_format, "General")

    dims = ws.column_dimensions
    for col in "ABCD":
        w = dims[col].width
        if not (w and 2 < w < 60) or dims[col].hidden:
            failures.append(f"kolom {col}: breedte {w!r}, verborgen {dims[col].hidden!r}")
    if not dims["C"].width > dims["B"].width:
        failures.append("kolom C moet breder zijn dan B")
    expect("kolom E verborgen", bool(dims["E"].hidden), True)
    # The file stores a width with the cell padding (5 of a digit's 7 pixels).
    expect("kolom F breedte", (round(dims["F"].width * 7) - 5) / 7, 20.0)

    two = wb["Tweede"]
    expect("Tweede!B3", two["B3"].value, "op blad twee")
    expect("Tweede afmeting", two.dimensions, "B3:B3")
    return failures


def unescape(text):
    """The file format's character escape _xHHHH_, which openpyxl leaves in
    inline texts (a surrogate pair of escapes is one character)."""
    def one(m):
        return chr(int(m.group(1), 16))
    out = re.sub(r"_x([0-9A-Fa-f]{4})_", one, text)
    return out.encode("utf-16", "surrogatepass").decode("utf-16")


def check_edges(wb):
    failures = []

    def expect(what, got, want):
        if got != want:
            failures.append(f"{what}: {got!r:.80}, verwacht {want!r:.80}")

    ws = wb.active
    cp1252 = bytes(0x20 + i % 224 for i in range(320)).decode("cp1252", errors="replace")
    # The five bytes the code page leaves undefined map to the controls of the same number.
    cp1252 = "".join(chr(0x20 + i % 224) if c == "\ufffd" else c for i, c in enumerate(cp1252))
    texts = [
        "lit_x0041_eral",
        "_x005f_ en _x005F_",
        "_xZZZZ_",
        "a\x01b\x1fc\td\ne\rf\x7f",
        "A\0Bouwgrond",
        "A\ufffdB\ufffd",
        "A\uffff\ufffe",
        "é" * 20000,
        cp1252,
        "\U0001F600_x0000_",
    ]
    for row, want in enumerate(texts, start=1):
        c = ws.cell(row, 1)
        expect(f"A{row} soort", c.data_type, "s")
        expect(f"A{row} tekst", unescape(c.value or ""), want)
    # A date before the sheet's first day is the text of the date in its column's form.
    dates = [
        ("1-1-100", "1-jan-100"),
        ("1-6-1850", "1-jun-1850"),
        ("31-12-1899", "31-dec-1899"),
        (datetime.datetime(1900, 1, 1),) * 2,
        (datetime.datetime(1900, 2, 28),) * 2,
        (datetime.datetime(1900, 3, 1),) * 2,
        (datetime.datetime(9999, 12, 31),) * 2,
    ]
    for row, (plain, monthly) in enumerate(dates, start=1):
        expect(f"B{row}", ws.cell(row, 2).value, plain)
        expect(f"C{row}", ws.cell(row, 3).value, monthly)
        if isinstance(plain, datetime.datetime):
            expect(f"C{row} opmaak", ws.cell(row, 3).number_format, "D-MMM-YYYY")
    expect("D1", ws["D1"].value, datetime.time(6, 30))
    expect("E1", ws["E1"].value, 0)
    expect("E2", ws["E2"].value, 0)
    expect("E3", ws["E3"].value, 2.5e-308)
    return failures


if __name__ == "__main__":
    sys.exit(main())
