#!/usr/bin/python3
"""orvane-dump --json on the test files: every document must validate
against the schema, and every directory it read must list the same entries
(code, type, count and where the value lies) as exiftool and tifffile read
there. BigTIFF files that outside tools wrote (tifffile with bigtiff=True,
libtiff's tiffcp -8; both byte orders) must list, page by page, the entries
(code, type, count) that tiffdump lists. Each outside tool is used where it
is installed.

  compare_with_outside_tools.py TOOL MAKE-DUMP-FILES SCHEMA FOLDER [EMULATOR...]

The files are written into FOLDER and the programs run there (under the
emulator, for the Windows build), so that only relative paths cross over.
"""
import os
import copy
import json
import re
import shutil
import struct
import subprocess
import sys

import jsonschema

POINTER_TAGS = {330, 34665, 34853, 40965}
EXIFTOOL_TYPES = {"int8u": 1, "string": 2, "int16u": 3, "int32u": 4, "rational64u": 5,
                  "int8s": 6, "undef": 7, "int16s": 8, "int32s": 9, "rational64s": 10,
                  "float": 11, "double": 12, "ifd": 13, "int64u": 16, "int64s": 17,
                  "ifd64": 18, "utf8": 129}
failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text)


def directories(doc):
    """Every directory that was read: (kind, offset, entries)."""
    def walk(kind, d):
        if d.get("failure") or "entries" not in d:
            return
        yield kind, d["offset"], d["entries"]
        for e in d["entries"]:
            for child in e.get("children", []):
                yield from walk(child["kind"], child)
    for page in doc["pages"]:
        yield from walk("page", page)


def triples(entries):
    return [(e["code"], e["type"], e["count"]) for e in entries]


def exiftool_directories(path):
    """exiftool -v3: per directory its kind and its entries' (code, type, count)."""
    out = subprocess.run(["exiftool", "-v3", path], capture_output=True, text=True,
                         timeout=120).stdout
    dirs, stack = [], []
    for line in out.splitlines():
        depth = line.count("| ")
        head = re.search(r"\+ \[(\w+?)\d* directory with (\d+) entries\]", line)
        if head:
            name = head.group(1)
            kind = {"IFD": "page", "SubIFD": "subifd", "ExifIFD": "exif", "GPS": "gps",
                    "InteropIFD": "interop"}.get(name)
            dirs.append((kind, []))
            del stack[depth:]
            stack.append(dirs[-1])
            continue
        tag = re.search(r"- Tag 0x([0-9a-f]{4}) \(\d+ bytes, (\w+)\[(\d+)\]", line)
        if tag and stack:
            stack[depth - 1][1].append((int(tag.group(1), 16), EXIFTOOL_TYPES.get(tag.group(2)),
                                        int(tag.group(3))))
    return [d for d in dirs if d[0]]


def compare_exiftool(path, doc):
    theirs = exiftool_directories(path)
    ours = [(kind, triples(entries)) for kind, _, entries in directories(doc)]
    if sorted(map(repr, ours)) != sorted(map(repr, theirs)):
        fail(f"{path}: exiftool reads other directories:\n ours   {ours}\n theirs {theirs}")


def compare_tifffile(path, doc):
    import tifffile
    with tifffile.TiffFile(path) as tif:
        for kind, offset, entries in directories(doc):
            tif.filehandle.seek(offset)
            count = struct.unpack(tif.byteorder + "H", tif.filehandle.read(2))[0]
            theirs = []
            for i in range(count):
                tag = tifffile.TiffTag.fromfile(tif, offset=offset + 2 + 12 * i, validate=False)
                theirs.append((tag.code, int(tag.dtype), tag.count,
                               None if tag.code in POINTER_TAGS else tag.valueoffset))
            ours = [(e["code"], e["type"], e["count"],
                     None if e["code"] in POINTER_TAGS else e["offset"]) for e in entries]
            if ours != theirs:
                fail(f"{path}: {kind} directory at {offset}: tifffile reads {theirs}, "
                     f"orvane-dump {ours}")


def tiffdump_pages(path):
    """tiffdump: per directory of the page chain its entries' (code, type, count)."""
    out = subprocess.run(["tiffdump", path], capture_output=True, text=True, check=True).stdout
    pages = []
    for line in out.splitlines():
        if line.startswith("Directory "):
            pages.append([])
        tag = re.match(r"^.*\((\d+)\) \S+ \((\d+)\) (\d+)<", line)
        if tag and pages:
            pages[-1].append(tuple(int(g) for g in tag.groups()))
    return pages, "<BigTIFF>" in out


def write_bigtiff_files():
    """Three pages in BigTIFF files of tifffile and of tiffcp -8 (from a
    classic file of tifffile), in both byte orders; returns their names."""
    import numpy
    import tifffile
    data = numpy.arange(3 * 16 * 24, dtype=numpy.uint16).reshape(3, 16, 24)

    def write(name, big, order):
        with tifffile.TiffWriter(name, bigtiff=big, byteorder=order) as tif:
            for page in data:
                tif.write(page, description="orvane bigtiff", resolution=(72, 72),
                          rowsperstrip=4, metadata=None)
        return name
    names = [write("tifffile-le.tif", True, "<"), write("tifffile-be.tif", True, ">")]
    write("classic.tif", False, "<")
    for flag, mark in (("-L", "le"), ("-B", "be")):
        names.append(f"tiffcp-{mark}.tif")
        subprocess.run(["tiffcp", "-8", flag, "classic.tif", names[-1]], check=True)
    return names


def check_schema_rejects(doc, validator, path):
    broken = copy.deepcopy(doc)
    del broken["pages"][0]["entries"][0]["code"]
    if validator.is_valid(broken):
        fail(f"{path}: the schema accepts an entry without a code")


def main():
    tool, maker, schema_path, folder = sys.argv[1:5]
    emulator = sys.argv[5:]
    os.makedirs(folder, exist_ok=True)
    os.chdir(folder)
    subprocess.run(emulator + [maker, "."], check=True)
    with open(schema_path) as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    have_exiftool = shutil.which("exiftool") is not None
    try:
        import tifffile  # noqa: F401
        have_tifffile = True
    except ImportError:
        have_tifffile = False
    print(f"exiftool: {'used' if have_exiftool else 'not installed'}; "
          f"tifffile: {'used' if have_tifffile else 'not installed'}")

    def dump(path, clean):
        run = subprocess.run(emulator + [tool, "--json", path], capture_output=True)
        if run.returncode != (0 if clean else 1):
            fail(f"{path}: exit code {run.returncode}")
        doc = json.loads(run.stdout.decode("utf-8"))
        for error in validator.iter_errors(doc):
            fail(f"{path}: {error.message} at {list(error.absolute_path)}")
        return doc
    files = 0
    for path, clean in [("exif-le.tif", True), ("exif-be.tif", True),
                        ("broken-le.tif", False), ("broken-be.tif", False)]:
        files += 1
        doc = dump(path, clean)
        check_schema_rejects(doc, validator, path)
        if not clean and not any("read before" in json.dumps(d) for d in doc["pages"]):
            fail(f"{path}: no directory reported as read before")
        # exiftool follows a SubIFD that points back at its page without
        # end, so it only reads the clean files.
        if have_exiftool and clean:
            compare_exiftool(path, doc)
        if have_tifffile:
            compare_tifffile(path, doc)
    if have_tifffile and shutil.which("tiffdump") and shutil.which("tiffcp"):
        for path in write_bigtiff_files():
            files += 1
            doc = dump(path, True)
            theirs, big = tiffdump_pages(path)
            ours = [triples(page["entries"]) for page in doc["pages"]]
            if not big or not doc["file"]["bigTiff"] or ours != theirs:
                fail(f"{path}: BigTIFF directories differ\n ours     {ours}\n tiffdump {theirs}")
    else:
        print("BigTIFF files: tifffile or libtiff's tools not installed")
    failed = len(set(f.split(':')[0] for f in failures))
    print(f"{files - failed} passed, {failed} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
