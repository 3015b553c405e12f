#!/usr/bin/env python3
"""The layer targets' check (cmake/ZelkLayers.cmake) refuses a link or an include
that runs up or sideways, and its order is the one scripts/check-layers checks.

Arguments: the cmake program."""
import pathlib
import re
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
CMAKE = sys.argv[1]
failures = []


def check(layer, files, links, sources=None):
    """Runs zelk_check_layer on a scratch tree; returns (exit code, output)."""
    with tempfile.TemporaryDirectory(prefix="zelk-layer-targets-") as tmp:
        root = pathlib.Path(tmp)
        for name, text in files.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        script = root / "check.cmake"
        script.write_text(
            "cmake_minimum_required(VERSION 3.25)\n"
            "set(ZELK_LAYER_ORDER runtime database exports)\n"
            f'include("{ROOT / "cmake" / "ZelkLayers.cmake"}")\n'
            f'zelk_check_layer({layer} "{root}" SOURCES {" ".join(sources or files)} LAYERS {" ".join(links)})\n')
        r = subprocess.run([CMAKE, "-P", str(script)], capture_output=True, text=True)
        return r.returncode, r.stdout + r.stderr


def expect(what, result, fails, message=""):
    code, out = result
    flat = " ".join(out.split())
    if (code != 0) != fails or message not in flat:
        failures.append(f"{what}: exit {code}, expected {'a failure' if fails else 'success'}"
                        f"{' saying ' + repr(message) if message else ''}:\n{out}")


down = {"exports/a.cpp": '#include "exports/a.h"\n#include "runtime/text.h"\n  #  include "database/dbase.h"\n',
        "exports/a.h": '#include <string>\n#include "runtime/variant.h"\n'}
expect("includes and links that run down", check("exports", down, ["runtime", "database"]), False)
expect("a link upwards", check("database", {"database/b.cpp": '#include "exports/a.h"\n'}, ["exports"]), True,
       "Layer 'database' links 'exports', which does not lie below it")
expect("a link to itself", check("database", {"database/b.cpp": ""}, ["database"]), True,
       "which does not lie below it")
expect("an include upwards", check("runtime", {"runtime/c.cpp": '#include "database/dbase.h"\n'}, []), True,
       "runtime/c.cpp includes layer 'database', which layer 'runtime' does not link")
expect("an include of a lower layer it does not link", check("exports", down, ["database"]), True,
       "exports/a.cpp includes layer 'runtime', which layer 'exports' does not link")
expect("a link nothing uses", check("exports", {"exports/d.cpp": '#include "database/x.h"\n'}, ["runtime", "database"]),
       True, "Layer 'exports' links 'runtime' but none of its sources includes it")
expect("a layer outside the order", check("extras", {"extras/e.cpp": ""}, []), True,
       "Layer 'extras' has no place in the layer order")

# One order: the build's and the include check's agree (the build may name a
# layer the tree does not have yet).
cmake_text = (ROOT / "src" / "CMakeLists.txt").read_text()
build_order = re.search(r"set\(ZELK_LAYER_ORDER ([^)]*)\)", cmake_text).group(1).split()
check_text = (ROOT / "scripts" / "check-layers").read_text()
include_order = re.findall(r'"(\w+)"', re.search(r"LAYERS = \[([^\]]*)\]", check_text).group(1))
include_order = [layer for layer in include_order if layer != "apps"]
if [layer for layer in build_order if layer in include_order] != include_order:
    failures.append(f"the build's layer order {build_order} differs from check-layers' {include_order}")
for layer in build_order:
    if layer not in include_order and (ROOT / "src" / layer).exists():
        failures.append(f"src/{layer} is built as a layer but check-layers does not know it")

for f in failures:
    print(f, file=sys.stderr)
sys.exit(1 if failures else 0)
