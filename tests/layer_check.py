#!/usr/bin/env python3
"""The layer check passes on the code and fails on a back-include or an unplaced folder."""
import atexit
import pathlib
import shutil
import subprocess
import sys
import tempfile

CHECK = pathlib.Path(__file__).resolve().parent.parent / "scripts" / "check-layers"


def run(root):
    r = subprocess.run([sys.executable, str(CHECK), str(root)], capture_output=True, text=True)
    return r.returncode, r.stderr


def tree(files):
    root = pathlib.Path(tempfile.mkdtemp(prefix="zelk-layers-"))
    atexit.register(shutil.rmtree, root, True)
    for name, text in files.items():
        path = root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)
    (root / "apps").mkdir(exist_ok=True)
    return root


failures = []

code, err = run(CHECK.parent.parent)
if code != 0:
    failures.append("the code itself breaks the layer order:\n" + err)

code, err = run(tree({"src/exports/a.cpp": '#include "session/session.h"\n#include "runtime/text.h"\n',
                      "src/shell/b.h": '#include <vector>\n#include "exports/exports.h"\n',
                      "apps/cli/c.cpp": '#include "shell/menu.h"\n'}))
if code != 0:
    failures.append("includes that run down were refused:\n" + err)

code, err = run(tree({"src/spreadsheet/workbook.cpp": '#include "runtime/text.h"\n #  include "exports/exports.h"\n'}))
if code != 1 or "src/spreadsheet/workbook.cpp:2: spreadsheet includes exports" not in err:
    failures.append(f"a back-include passed (exit {code}):\n" + err)

code, err = run(tree({"src/spreadsheet/cells.cpp": '#include "platform/platform.h"\n#include "messages/alg.h"\n'}))
if code != 1 or "src/spreadsheet/cells.cpp:2: spreadsheet may not include messages" not in err:
    failures.append(f"the spreadsheet layer reached the message screen (exit {code}):\n" + err)

code, err = run(tree({"src/extras/x.cpp": '#include "runtime/text.h"\n'}))
if code != 1 or "folder 'extras'" not in err:
    failures.append(f"a folder outside the order passed (exit {code}):\n" + err)

code, err = run(tree({"src/database/a.cpp": '#include <filesystem>\n#include <unistd.h>\n',
                      "src/os/posix_b.cpp": '#include <unistd.h>\n#include <sys/wait.h>\n#include "os/b.h"\n',
                      "apps/cli/c.cpp": '#include <cstdio>\n # include <sys/stat.h>\n'}))
if (code != 1 or "src/database/a.cpp:2: <unistd.h>" not in err or "apps/cli/c.cpp:2: <sys/stat.h>" not in err
        or "src/os/" in err):
    failures.append(f"POSIX headers were not kept to src/os (exit {code}):\n" + err)

code, err = run(tree({"src/os/x.cpp": '#include "runtime/text.h"\n'}))
if code != 1 or "os includes runtime" not in err:
    failures.append(f"the system layer reached up (exit {code}):\n" + err)

for f in failures:
    print(f, file=sys.stderr)
sys.exit(1 if failures else 0)
