"""BigTIFF files written by outside tools (tifffile with bigtiff=True, libtiff's
tiffcp -8), in both byte orders, read by orvane-dump and by tiffdump: every
directory must list the same entries (tag, type, count) in the same order.

Usage: compare_bigtiff_with_tiffdump.py ORVANE_DUMP TIFF_NAMES_CPP WORK_DIR
tiffcp converts a classic file that tifffile wrote, so without tifffile (or
tiffdump) the test is skipped (exit code 77)."""
import os
import re
import shutil
import subprocess
import sys

SKIP = 77
TYPE_CODES = {"NoType": 0, "Byte": 1, "ASCII": 2, "Short": 3, "Long": 4, "Rational": 5,
              "SByte": 6, "Undefined": 7, "SShort": 8, "SLong": 9, "SRational": 10,
              "Float": 11, "Double": 12, "IFD": 13, "Long8": 16, "SLong8": 17, "IFD8": 18}


def tag_codes(names_cpp):
    text = open(names_cpp, encoding="utf-8").read()
    table = text[text.index("TagNames[]"):]
    table = table[:table.index("};")]
    return {name: int(code) for code, name in re.findall(r'\{(\d+), "([^"]+)"\}', table)}


def orvane_entries(dump, path, codes):
    out = subprocess.run([dump, path], capture_output=True, text=True, check=False).stdout
    if "Format: BigTIFF\n" not in out:
        raise SystemExit(f"{path}: orvane-dump does not call it BigTIFF:\n{out}")
    pages = []
    for block in re.split(r"\nPage \d+ of \d+\n", out)[1:]:
        entries = []
        for line in block.split("\n")[2:]:
            m = re.match(r"^(\S+) \((\d+) (\S+)\): ", line)
            if m:
                name, count, type_name = m.groups()
                tag = int(name) if name.isdigit() else codes[name]
                type_code = int(type_name) if type_name.isdigit() else TYPE_CODES[type_name]
                entries.append((tag, type_code, int(count)))
        pages.append(entries)
    return pages


def tiffdump_entries(path):
    out = subprocess.run(["tiffdump", path], capture_output=True, text=True, check=True).stdout
    if "<BigTIFF>" not in out:
        raise SystemExit(f"{path}: tiffdump does not see a BigTIFF:\n{out}")
    pages = []
    for line in out.splitlines():
        if line.startswith("Directory "):
            pages.append([])
            continue
        m = re.match(r"^.*\((\d+)\) \S+ \((\d+)\) (\d+)<", line)
        if m and pages:
            pages[-1].append(tuple(int(g) for g in m.groups()))
    return pages


def write_with_tifffile(work, big=True, name="tifffile"):
    import numpy
    import tifffile
    paths = []
    for order, mark in (("<", "le"), (">", "be")):
        path = os.path.join(work, f"{name}-{mark}.tif")
        data = numpy.arange(3 * 16 * 24, dtype=numpy.uint16).reshape(3, 16, 24)
        with tifffile.TiffWriter(path, bigtiff=big, byteorder=order) as tif:
            for page in data:
                tif.write(page, description="orvane bigtiff", resolution=(72, 72),
                          rowsperstrip=4, metadata=None)
        paths.append(path)
    return paths


def write_with_tiffcp(work):
    if not shutil.which("tiffcp"):
        return []
    classic = write_with_tifffile(work, big=False, name="classic")[0]
    paths = []
    for flag, mark in (("-L", "le"), ("-B", "be")):
        path = os.path.join(work, f"tiffcp-{mark}.tif")
        subprocess.run(["tiffcp", "-8", flag, classic, path], check=True)
        paths.append(path)
    return paths


def main():
    dump, names_cpp, work = sys.argv[1:4]
    try:
        import tifffile  # noqa: F401
    except ImportError:
        print("tifffile is not installed; skipped")
        return SKIP
    if not shutil.which("tiffdump"):
        print("tiffdump is not installed; skipped")
        return SKIP
    os.makedirs(work, exist_ok=True)
    paths = write_with_tifffile(work) + write_with_tiffcp(work)
    codes = tag_codes(names_cpp)
    failed = False
    for path in paths:
        ours, theirs = orvane_entries(dump, path, codes), tiffdump_entries(path)
        if ours != theirs:
            failed = True
            print(f"{path}: directories differ\n orvane-dump: {ours}\n tiffdump:    {theirs}")
        else:
            print(f"{path}: {len(ours)} directories, {sum(map(len, ours))} entries agree")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
