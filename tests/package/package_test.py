#!/usr/bin/env python3
"""Installs the chart engine into a temporary prefix and checks what a program using it sees:
the installed files, the shared libraries' names and exports, the examples built against the
CMake package and run (their pictures read back by readers of their own: zlib for PNG, djpeg
for JPEG), and a build through pkg-config."""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib

VERSION = "10.13.0"
SOVERSION = "10"
LIBRARIES = ["kivrtl", "kivraster", "kivbitmap", "kivcanvas", "kivchart", "kivseries",
             "kivdescription", "kivraster-qt"]
# Everything the package may hold; nothing of the window, the host or the workers.
ALLOWED = [
    r"include/kiv/(chart|gfx|raster|rtl|toolkit/bitmap)/[A-Za-z0-9_/]+\.h",
    r"lib/libkiv[a-z-]+\.(a|so(\.%s)?)" % re.escape(VERSION),
    r"lib/libkiv[a-z-]+\.so\.%s" % SOVERSION,
    r"lib/cmake/Kiv/Kiv[A-Za-z]*(Targets(-[a-z]+)?|Config|ConfigVersion)\.cmake",
    r"lib/pkgconfig/kiv(-qt)?\.pc",
]
PUBLIC_SYMBOL = re.compile(
    r"^(typeinfo for |typeinfo name for |vtable for |VTT for |guard variable for |"
    r"(non-)?virtual thunk to )?(kiv|KivConst|raster|rtl|tk)::")


def run(cmd, **kw):
    result = subprocess.run(cmd, capture_output=True, text=True, **kw)
    if result.returncode != 0:
        sys.exit("failed (%d): %s\n%s%s" % (result.returncode, " ".join(cmd), result.stdout,
                                             result.stderr))
    return result.stdout


def check(condition, message):
    if not condition:
        sys.exit(message)


def read_png(path):
    """Width, height and RGB rows of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    check(data[:8] == b"\x89PNG\r\n\x1a\n", path + ": no PNG signature")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            check(depth == 8 and colour in (2, 6), path + ": not 8-bit RGB")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], bytearray(line[1:])
        for i in range(stride):
            a = row[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + a) & 255
            elif kind == 2:
                row[i] = (row[i] + b) & 255
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(row[x:x + 3]) for x in range(0, stride, channels)])
        previous = row
    return width, height, rows


def read_jpeg(path):
    """Width, height and RGB rows of a JPEG file, decoded by djpeg."""
    ppm = subprocess.run(["djpeg", "-pnm", path], capture_output=True, check=True).stdout
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
    check(match, path + ": djpeg gave no colour picture")
    width, height = int(match.group(1)), int(match.group(2))
    pixels = ppm[match.end():]
    rows = [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]
    return width, height, rows


def count_near(rows, colour, tolerance):
    return sum(1 for row in rows for p in row
               if all(abs(p[k] - colour[k]) <= tolerance for k in range(3)))


def check_pictures(folder):
    # The bar chart's bars are teal, the pie's slices red, green and blue.
    expected = {"bar": [(0, 128, 128)], "pie": [(255, 0, 0), (0, 128, 0), (0, 0, 255)]}
    for name, colours in expected.items():
        png = read_png(os.path.join(folder, name + ".png"))
        jpg = read_jpeg(os.path.join(folder, name + ".jpg"))
        for picture, kind, tolerance in ((png, "PNG", 0), (jpg, "JPEG", 40)):
            check(picture[:2] == (480, 320), "%s %s is %dx%d" % (name, kind, *picture[:2]))
            for colour in colours:
                n = count_near(picture[2], colour, tolerance)
                check(n >= 2000, "%s %s: %d pixels of %s" % (name, kind, n, colour))
        difference = sum(abs(a[k] - b[k]) for ra, rb in zip(png[2], jpg[2])
                         for a, b in zip(ra, rb) for k in range(3)) / (480 * 320 * 3)
        check(difference < 8, "%s: PNG and JPEG differ by %.1f a channel" % (name, difference))


def check_installed_files(prefix, shared):
    files = []
    for root, _, names in os.walk(prefix):
        files += [os.path.relpath(os.path.join(root, n), prefix) for n in names]
    for f in files:
        check(any(re.fullmatch(p, f) for p in ALLOWED), "not part of the package: " + f)
    check("include/kiv/chart/Chart.h" in files and "include/kiv/raster/QtRasterDevice.h" in files,
          "public headers missing")
    check("lib/cmake/Kiv/KivConfig.cmake" in files, "no CMake package")
    for lib in LIBRARIES:
        if not shared:
            check("lib/lib%s.a" % lib in files, "no static library " + lib)
            continue
        real = os.path.join(prefix, "lib", "lib%s.so.%s" % (lib, VERSION))
        dynamic = run(["readelf", "-d", real])
        check("[lib%s.so.%s]" % (lib, SOVERSION) in dynamic, lib + ": wrong or no SONAME")
        for link in ("lib%s.so.%s" % (lib, SOVERSION), "lib%s.so" % lib):
            check(os.path.realpath(os.path.join(prefix, "lib", link)) == real, link + " dangles")
        exported = run(["nm", "-D", "--defined-only", "-C", real]).splitlines()
        names = [line.split(" ", 2)[2] for line in exported if line.split(" ")[1] not in "AUw"]
        leaked = [n for n in names if not PUBLIC_SYMBOL.match(n)]
        check(not leaked, lib + " exports more than its API: " + "; ".join(leaked[:5]))
        check(len(names) > 20, lib + " exports nothing")
    return sum(os.path.getsize(os.path.join(prefix, f)) for f in files
               if not os.path.islink(os.path.join(prefix, f)))


def main():
    parser = argparse.ArgumentParser()
    for option in ("--build-dir", "--examples", "--cxx", "--sanitize", "--shared"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    shared = args.shared == "1"
    flags = "-fsanitize=address,undefined -fno-omit-frame-pointer" if args.sanitize == "1" else ""
    with tempfile.TemporaryDirectory() as tmp:
        prefix, pictures = os.path.join(tmp, "prefix"), os.path.join(tmp, "pictures")
        os.mkdir(pictures)
        run(["cmake", "--install", args.build_dir, "--prefix", prefix, "--component", "kiv"])
        size = check_installed_files(prefix, shared)

        build = os.path.join(tmp, "examples")
        run(["cmake", "-S", args.examples, "-B", build, "-DCMAKE_BUILD_TYPE=Debug",
             "-DCMAKE_PREFIX_PATH=" + prefix, "-DCMAKE_CXX_COMPILER=" + args.cxx,
             "-DCMAKE_CXX_FLAGS=" + flags])
        run(["cmake", "--build", build, "-j2"])
        run([os.path.join(build, "headless_pictures"), pictures])
        check_pictures(pictures)
        out = run([os.path.join(build, "live_line"), "5"], timeout=120)
        check(out.strip() == "5 points drawn", "live_line said: " + out)
        # The described chart: a blue line of bids and its green average, nothing skipped.
        described = os.path.join(pictures, "described.png")
        out = run([os.path.join(build, "description_chart"),
                   os.path.join(args.examples, "description_chart.yaml"), described])
        check(out == "", "description_chart skipped: " + out)
        width, height, rows = read_png(described)
        check((width, height) == (480, 320), "described chart is %dx%d" % (width, height))
        for colour, least in (((0, 0, 255), 300), ((0, 128, 0), 100)):
            n = count_near(rows, colour, 0)
            check(n >= least, "described chart: %d pixels of %s" % (n, colour))

        # The same program through pkg-config draws the same pictures; every installed header
        # compiles with the flags pkg-config gives.
        env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(prefix, "lib", "pkgconfig"))
        pc = run(["pkg-config", "--cflags", "--libs", "kiv", "kiv-qt"], env=env).split()
        headers = sorted(os.path.relpath(os.path.join(r, n), os.path.join(prefix, "include", "kiv"))
                         for r, _, ns in os.walk(os.path.join(prefix, "include", "kiv")) for n in ns)
        every = os.path.join(tmp, "every_header.cpp")
        open(every, "w").write("".join('#include "%s"\n' % h for h in headers))
        run([args.cxx, "-std=c++20", "-fPIC", "-fsyntax-only", every] + pc)
        program, again = os.path.join(tmp, "pictures_pc"), os.path.join(tmp, "again")
        os.mkdir(again)
        run([args.cxx, "-std=c++20", "-fPIC"] + flags.split() +
            [os.path.join(args.examples, "headless_pictures.cpp"), "-o", program] + pc)
        run([program, again], env=dict(env, LD_LIBRARY_PATH=os.path.join(prefix, "lib")))
        for name in ("bar.png", "pie.png"):
            check(open(os.path.join(pictures, name), "rb").read() ==
                  open(os.path.join(again, name), "rb").read(), name + " differs")
        print("installed package: %d headers, %d bytes" % (len(headers), size))


if __name__ == "__main__":
    main()
