#!/usr/bin/env python3
"""The chart engine's API reference.

  reference.py SOURCE_ROOT OUTDIR   writes OUTDIR/groups.dox and OUTDIR/Doxyfile
  reference.py SOURCE_ROOT --check  only checks that every public class has a summary
  reference.py --filter HEADER      the Doxygen input filter

The headers are commented with plain // lines; the filter hands Doxygen the comment above a
declaration as its documentation (the first sentence is the summary) and the comment that opens
a header as the file's. Each public class is put into the group of its concept by its header."""
import os
import re
import sys

# Concept groups, by header (first match wins).
GROUPS = [
    ("canvas", "Canvas", "Pens, brushes, fonts, 3D options and the canvas every chart draws through",
     [r"chart/KivCanvas\.h", r"chart/canvas/"]),
    ("valuelists", "Value lists and series",
     "The value lists that hold a series' points, the series base, its marks and sample values",
     [r"chart/engine/(ValueList|Series|SeriesList|Marks|SampleRandom)\.h"]),
    ("axes", "Axes", "Axes, their titles and labels, and the panel that lays them out",
     [r"chart/engine/(Axis|AxisPanel|AxisTitle|DateTimeSteps)\.h", r"chart/KivEngine\.h"]),
    ("serieskinds", "Series kinds",
     "Line, point, area, bar, horizontal bar, fast line and pie series, and their registration",
     [r"chart/Series\.h", r"chart/series/"]),
    ("functions", "Functions", "Series computed from other series: add, subtract, multiply, "
     "divide, high, low, average", [r"chart/KivFunci\.h", r"chart/engine/Function\.h",
                                    r"chart/functions/"]),
    ("chartcontrol", "Chart control",
     "The chart with its title, foot, walls and legend, the mouse and zoom, and the registry of "
     "series kinds", [r"chart/(Chart|KivProcs|KivConst)\.h", r"chart/control/", r"chart/procs/",
                      r"chart/engine/Settings\.h"]),
    ("descriptions", "Chart descriptions", "A chart's settings and series saved as YAML and "
     "loaded back", [r"chart/Description\.h"]),
    ("devices", "Drawing devices", "The raster device a chart draws into (Qt-free and over "
     "QPainter), the bitmap, and the colours, geometry and text helpers they share",
     [r"raster/", r"toolkit/bitmap/", r"gfx/", r"rtl/"]),
]
# The package's public include folders.
INCLUDE_DIRS = ["chart/canvas/include", "chart/include", "chart/series/include",
                "chart/description/include",
                "platform/gfx/include", "platform/rtl/include", "platform/raster/include",
                "platform/raster/qt/include", "platform/toolkit/bitmap/include"]
CLASS = re.compile(r"^(?:template <[^>]*> )?(class|struct) (\w+)(?: final)?\s*(?::[^;]*)?\{")


def headers(root):
    for folder in INCLUDE_DIRS:
        base = os.path.join(root, folder)
        for dirpath, _, names in os.walk(base):
            for name in sorted(names):
                if name.endswith(".h"):
                    path = os.path.join(dirpath, name)
                    yield path, os.path.relpath(path, base)


def group_of(include):
    for key, _, _, patterns in GROUPS:
        if any(re.match(p, include) for p in patterns):
            return key
    raise SystemExit("no concept group for " + include)


def classes(path):
    """(name, line, has summary) of each class declared at namespace level."""
    lines = open(path, encoding="utf-8").read().splitlines()
    namespace = None
    for n, line in enumerate(lines):
        found = re.match(r"^namespace (\w+) \{", line)
        if found:
            namespace = found.group(1)
        match = CLASS.match(line)
        if match and namespace:
            summary = n > 0 and lines[n - 1].lstrip().startswith("//")
            yield "%s::%s" % (namespace, match.group(2)), n + 1, summary


def filter_header(path):
    """Comment blocks directly above a declaration become /// lines; the opening block of the
    header becomes the file's documentation."""
    lines = open(path, encoding="utf-8").read().splitlines()
    out, block, first = [], [], True
    for line in lines:
        stripped = line.lstrip()
        if stripped.startswith("//"):
            block.append(line)
            continue
        if block:
            indent = block[0][: len(block[0]) - len(block[0].lstrip())]
            texts = [b.lstrip()[2:].lstrip() for b in block]
            if first and not line.strip() or stripped.startswith("#"):
                out += ["/// \\file"] * first + [indent + "/// " + t for t in texts]
            elif stripped and not stripped.startswith(("}", "namespace")):
                out += [indent + "/// " + t for t in texts]
            else:
                out += block
            first, block = False, []
        out.append(line)
    out += block
    sys.stdout.write("\n".join(out) + "\n")


def write_groups(root, out):
    missing, text = [], []
    for key, title, summary, _ in GROUPS:
        text.append("/** \\defgroup %s %s\n %s. */" % (key, title, summary))
    for path, include in headers(root):
        group = group_of(include)
        for name, line, summary in classes(path):
            if not summary:
                missing.append("%s:%d: %s has no summary" % (path, line, name))
            text.append("/** \\class %s\n \\ingroup %s */" % (name, group))
    if missing:
        raise SystemExit("\n".join(missing))
    if out:
        with open(os.path.join(out, "groups.dox"), "w") as f:
            f.write("\n".join(text) + "\n")


def main():
    if sys.argv[1] == "--filter":
        filter_header(sys.argv[2])
        return
    root = os.path.abspath(sys.argv[1])
    if sys.argv[2] == "--check":
        write_groups(root, None)
        return
    out = os.path.abspath(sys.argv[2])
    os.makedirs(out, exist_ok=True)
    write_groups(root, out)
    template = open(os.path.join(root, "docs", "Doxyfile.in")).read()
    inputs = " ".join(os.path.join(root, d) for d in INCLUDE_DIRS)
    with open(os.path.join(out, "Doxyfile"), "w") as f:
        f.write(template.replace("@ROOT@", root).replace("@OUT@", out)
                .replace("@INPUTS@", inputs).replace("@SELF@", os.path.abspath(__file__)))


if __name__ == "__main__":
    main()
