#!/usr/bin/env python3
"""The command-line program as a script sees it: exit status, stdout carries
the message lines, stderr the message boxes and whatever explains a failure,
fixed workbook names replaced, a conventional command line.
Arguments: the program, its version, the folder of the Access sample files."""

import os
import sqlite3
import subprocess
import sys
import tempfile

cli = sys.argv[1]
version = sys.argv[2]
fixtures = os.path.join(sys.argv[3], "access") if len(sys.argv) > 3 and sys.argv[3] else ""
failures = []
checks = 0


def run(*args, env=None):
    return subprocess.run([cli, *args], capture_output=True, text=True, env=env, timeout=300)


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
    r = run("export", "--database", db, "--date", "0100-01-01", "roerend")  # its month before is no date
    check("--date whose month before is no date", r.returncode == 2 and "1-2-100" in r.stderr, r.stderr)
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

    # Amounts whose sum leaves the Currency range: the export fails, nothing is saved.
    huge = os.path.join(d, "groot.db")
    con = sqlite3.connect(db)
    con.execute("VACUUM INTO ?", (huge,))
    con.close()
    con = sqlite3.connect(huge)
    con.execute("UPDATE OB_Waardering SET OW_HuidigeWaarde = 922337203000000 WHERE OW_HuidigeWaarde <> 0")
    con.commit()
    con.close()
    out = os.path.join(d, "groot")
    os.mkdir(out)
    over = run("export", "--database", huge, "--output", out, "roerend")
    check("overflow exits 1", over.returncode == 1, over.stdout)
    check("overflow is named", "Overloop (6)" in over.stderr, over.stderr)
    check("overflow leaves no workbook", os.listdir(out) == [], str(os.listdir(out)))

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
    check("lost rows named on stderr", "mapping: " in lost.stderr and " rijen niet weggeschreven" in lost.stderr, lost.stderr)
    check("workbook with lost rows saved", os.path.exists(os.path.join(out, "mapping.xlsx")))

    # History that cannot be read: the objects are counted, the run is not clean.
    unreadable = os.path.join(d, "historie.db")
    con = sqlite3.connect(db)
    con.execute("VACUUM INTO ?", (unreadable,))
    con.close()
    con = sqlite3.connect(unreadable)
    con.execute("UPDATE Historie SET BedNogAct = 'veel'")
    con.commit()
    con.close()
    out = os.path.join(d, "historie")
    os.mkdir(out)
    r = run("export", "--database", unreadable, "--output", out, "--date", "31-03-2026", "roerend")
    check("unreadable history exit 1", r.returncode == 1, r.stdout + r.stderr)
    check("unreadable history counted", " objecten met onleesbare historie\nDone\n" in r.stdout, r.stdout)
    check("unreadable history on stderr", "roerend: " in r.stderr and " objecten met onleesbare historie" in r.stderr,
          r.stderr)

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

# Help and version: stdout, exit 0; a usage error: stderr, exit 2.
for args, expected in ((["--help"], "export"), (["-h"], "demo-database"), (["export", "--help"], "--password-file"),
                       (["export", "-h"], "--output"), (["help", "export"], "--now"),
                       (["demo-database", "--help"], "--history-depth"), (["export", "roerend", "--help"], "--date")):
    r = run(*args)
    check("help " + " ".join(args), r.returncode == 0 and expected in r.stdout and r.stderr == "", r.stdout + r.stderr)
for flag in ("--version", "-V"):
    r = run(flag)
    check("version " + flag, r.returncode == 0 and version in r.stdout and r.stderr == "" and
          r.stdout.count("\n") == 1, r.stdout + r.stderr)
r = run()
check("no arguments is a usage error on stderr", r.returncode == 2 and "export" in r.stderr and r.stdout == "")
for args in (("export", "-d", "", "mapping"), ("demo-database", "")):
    r = run(*args)
    check("empty file name " + args[0], r.returncode == 2, r.stderr)
r = run("help", "export", "extra")
check("help for two commands", r.returncode == 2 and "Onbekend commando" not in r.stderr, r.stderr)
with open("/dev/full", "w") as full:  # output that cannot be written is no success
    r = subprocess.run([cli, "--help"], stdout=full, stderr=subprocess.PIPE, text=True, timeout=60)
check("--help to a full disk", r.returncode == 1 and "standaarduitvoer" in r.stderr, r.stderr)

# A typo is answered with the name that was probably meant.
for args, hint in ((["exprot", "all"], "'export'"), (["demo-databse", "x.db"], "'demo-database'"),
                   (["export", "--databse", "x.db", "all"], "'--database'"),
                   (["export", "--ouptut=x", "all"], "'--output'"),
                   (["export", "--database", "x.db", "roerned"], "'roerend'"), (["--verison"], "'--version'"),
                   (["help", "exprt"], "'export'"), (["demo-database", "x.db", "--asets", "5"], "'--assets'")):
    r = run(*args)
    check("typo " + " ".join(args), r.returncode == 2 and "Bedoelde u " + hint in r.stderr, r.stderr)
for args, typed in ((["export", "-hx", "all"], "'-hx'"), (["demo-database", "x.db", "--asets=5"], "'--asets'")):
    r = run(*args)
    check("unknown option as typed " + " ".join(args), r.returncode == 2 and typed in r.stderr, r.stderr)
for depth in ("0.5", "101", "nan", "5,5", ""):
    r = run("demo-database", "x.db", "--history-depth", depth)
    check(f"--history-depth {depth!r} refused", r.returncode == 2 and "historiediepte" in r.stderr, r.stderr)
r = run("export", "--database", "x.db", "hobbelpaard")
check("no hint without a near name", r.returncode == 2 and "Bedoelde" not in r.stderr, r.stderr)
r = run("export", "--database")
check("missing value", r.returncode == 2 and "--database" in r.stderr, r.stderr)

# --now exactly as YYYY-MM-DDTHH:MM:SS, a day that exists.
for now in (" 2026-12-06T10:15:03", "2026-12-06T10:15:03Z", "2026-12-06T10:15:03.5", "2026-12-06T10:15:03+1",
            "2026-02-31T10:00:00", "2026-12-06T24:00:00", "2026-12-6T10:15:03", "2026-12-06 10:15:03", "",
            "0000-01-01T00:00:00", "2026-12-06T10:15:03 "):
    r = run("export", "--database", "x.db", "--now", now, "mapping")
    check(f"--now {now!r} refused", r.returncode == 2 and "--now" in r.stderr, r.stderr)

with tempfile.TemporaryDirectory() as d:
    db = os.path.join(d, "demo.db")
    run("demo-database", "--assets=5", db)
    check("demo --assets=5", os.path.exists(db))

    # "=" forms and short forms; the output folder is made with its parents.
    out = os.path.join(d, "nieuw", "diep")
    r = run("export", "--database=" + db, "-o", out, "--now=2024-02-29T23:59:59", "-D", "31-12-2025", "mapping")
    check("= and short forms", r.returncode == 0 and os.path.exists(os.path.join(out, "mapping.xlsx")),
          r.stdout + r.stderr)
    r = run("export", "-d", db, "--output=" + out, "-D", "x", "mapping")
    check("bad short --date", r.returncode == 2 and "--date" in r.stderr, r.stderr)
    blocked = os.path.join(d, "bestand")
    open(blocked, "w").close()
    r = run("export", "-d", db, "-o", os.path.join(blocked, "map"), "mapping")
    check("output folder that cannot be made, why in Dutch",
          r.returncode == 1 and "Uitvoermap" in r.stderr and "een deel van het pad is geen map" in r.stderr, r.stderr)
    loop = os.path.join(d, "lus")
    os.symlink(loop, loop)
    for name, why in ((loop, "te veel symbolische koppelingen"), (os.path.join(d, "x" * 300), "de naam is te lang")):
        r = run("export", "-d", db, "-o", name, "mapping")  # cannot even be looked at
        check("output folder " + why, r.returncode == 1 and why in r.stderr, r.stderr)

    # A failed save and a database that does not open explain themselves on stderr.
    os.mkdir(os.path.join(d, "roerend.xlsx"))
    r = run("export", "-d", db, "-o", d, "roerend")
    check("failed save exits 1 and says so on stderr", r.returncode == 1 and "niet opgeslagen" in r.stderr, r.stderr)
    r = run("export", "-d", os.path.join(d, "weg.db"), "-o", d, "mapping")
    check("missing database on stderr", r.returncode == 1 and "3024" in r.stderr, r.stderr)

    # A database without the administration's tables or columns names them.
    con = sqlite3.connect(db)
    for (view,) in con.execute("SELECT name FROM sqlite_schema WHERE type = 'view'").fetchall():
        con.execute(f'DROP VIEW "{view}"')  # the exports' stored queries, over the tables
    con.execute("ALTER TABLE OB RENAME COLUMN PrjNr TO Projectnummer")
    con.execute("DROP TABLE Historie")
    con.commit()
    con.close()
    r = run("export", "-d", db, "-o", d, "roerend", "mapping")
    for line in ("Tabel 'Historie' ontbreekt in de database", "Kolom 'OB.PrjNr' ontbreekt"):
        check("missing named: " + line, line in r.stderr and line in r.stdout, r.stdout + r.stderr)
    check("the failure box stays", "De functie 'Aanmaken overzicht 1a' niet correct beëindigd" in r.stderr, r.stderr)
    check("only the export that reads them", r.stderr.count("ontbreekt") == 2 and r.returncode == 1, r.stderr)

    # The password from a file or the environment instead of the command line.
    empty = os.path.join(d, "leeg")
    open(empty, "w").close()
    r = run("export", "-d", db, "--password", "a", "--password-file", empty, "mapping")
    check("--password and --password-file together", r.returncode == 2, r.stderr)
    fifo = os.path.join(d, "pijp")
    os.mkfifo(fifo)
    for name in (os.path.join(d, "geen"), d, "/dev/zero", fifo):  # missing, a folder, endless, waiting for a writer
        r = run("export", "-d", db, "--password-file", name, "mapping")
        check("unreadable password file " + name, r.returncode == 2 and "Wachtwoordbestand" in r.stderr, r.stderr)
    protected = os.path.join(fixtures, "V2003_with-password.mdb") if fixtures else ""
    if protected and os.path.exists(protected):
        pwfile = os.path.join(d, "wachtwoord")
        with open(pwfile, "w") as f:
            f.write("password\n")
        env = dict(os.environ, ZELK_PASSWORD="password")
        for name, args, environment in (("file", ["--password-file", pwfile], None), ("environment", [], env),
                                        ("option", ["-p", "password"], None)):
            r = run("export", "-d", protected, "-o", d, *args, "mapping", env=environment)
            # The file opens; it holds no administration, which is named.
            check("password from " + name, "Export2 wordt opgestart" in r.stdout and
                  "Tabel 'OG' ontbreekt in de database" in r.stderr, r.stdout + r.stderr)
        r = run("export", "-d", protected, "-o", d, "-p", "fout", "mapping")
        check("wrong password on stderr", r.returncode == 1 and "3031" in r.stderr, r.stdout + r.stderr)
    else:
        print("password file and environment with a protected file skipped: no Access sample files "
              "(CMake cache variable ZELK_FIXTURES_DIR)")

print(f"{checks - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
