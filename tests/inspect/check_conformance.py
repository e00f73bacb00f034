#!/usr/bin/python3
"""orvane-dump --check against files whose verdict is known.

  check_conformance.py TOOL SCHEMA FOLDER [EMULATOR...]

- checkit-tiff's corpus (where the Debian package is installed): every
  should-fail file the tool can read gets an error (exit 1), every
  should-pass file none (exit 0).
- Files written by real writers at test time (libtiff's tools, ImageMagick,
  GDAL, tifffile, exiftool, each where installed): every one that libtiff's
  tiffinfo reads without a warning gets no error.
Every file's --check --json document must validate against SCHEMA and
agree with the plain lines on the exit code and the counts.
"""
import json
import os
import shutil
import subprocess
import sys

import jsonschema

CORPUS = "/usr/share/checkit_tiff"
failures = []


def run(args, **kw):
    return subprocess.run(args, capture_output=True, timeout=120, **kw)


SCHEMA = {}


def check(tool, path):
    """The tool's exit code and output for --check on path; the JSON
    document of the same check must agree with them."""
    result = run(tool + ["--check", path])
    out = result.stdout.decode("utf-8", "replace")
    as_json = run(tool + ["--check", "--json", path])
    if as_json.returncode != result.returncode:
        failures.append(f"--json exit code {as_json.returncode}, plain {result.returncode}: {path}")
    elif result.returncode != 2:
        doc = json.loads(as_json.stdout)
        try:
            jsonschema.validate(doc, SCHEMA)
        except jsonschema.ValidationError as e:
            failures.append(f"--check --json of {path} against the schema: {e.message}")
        lines = [l for l in out.splitlines() if l.startswith("offset ")]
        if len(lines) != len(doc["findings"]):
            failures.append(f"{len(lines)} lines but {len(doc['findings'])} findings: {path}")
    return result.returncode, out


def corpus(tool):
    if not os.path.isdir(CORPUS):
        print("checkit-tiff's corpus is not installed; skipped")
        return
    fail_dir = os.path.join(CORPUS, "tiffs_should_fail")
    read = flagged = 0
    for name in sorted(os.listdir(fail_dir)):
        path = os.path.join(fail_dir, name)
        if not os.path.isfile(path):
            continue
        code, out = check(tool, path)
        if code == 2:
            continue
        read += 1
        if code == 1 and "error [" in out:
            flagged += 1
        else:
            failures.append("should fail, got no error: " + name + "\n" + out)
    passed = good = 0
    for root, _, names in os.walk(os.path.join(CORPUS, "tiffs_should_pass")):
        for name in sorted(names):
            if not name.startswith("minimal"):
                continue
            good += 1
            code, out = check(tool, os.path.join(root, name))
            if code == 0:
                passed += 1
            else:
                failures.append("should pass, got an error: " + name + "\n" + out)
    print(f"checkit-tiff: {flagged} of {read} readable should-fail files with an error, "
          f"{passed} of {good} should-pass files without")


def have(program):
    return shutil.which(program) is not None


def writer_files(folder):
    """Writes the matrix into folder; returns the paths written."""
    written = []

    def make(name, args):
        path = os.path.join(folder, name)
        if run(args + [path]).returncode == 0 and os.path.isfile(path):
            written.append(path)
        return path

    if have("convert"):
        gray = make("im-gray.tif", ["convert", "-size", "64x48", "gradient:", "-compress", "none"])
        rgb = make("im-rgb.tif", ["convert", "-size", "64x48", "plasma:fractal", "-seed", "1",
                                  "-compress", "none"])
        bw = make("im-bw.tif", ["convert", "-size", "64x48", "pattern:checkerboard",
                                "-monochrome", "-compress", "none"])
        for method in ["LZW", "Zip", "JPEG", "RLE", "Group4", "Fax"]:
            make(f"im-{method}.tif", ["convert", bw if method in ("Group4", "Fax") else rgb,
                                      "-compress", method])
        make("im-16bit.tif", ["convert", gray, "-depth", "16"])
        make("im-float.tif", ["convert", gray, "-define", "quantum:format=floating-point",
                              "-depth", "32"])
        make("im-palette.tif", ["convert", rgb, "-colors", "16", "-type", "Palette"])
        make("im-pages.tif", ["convert", gray, rgb, bw])
        make("im-msb.tif", ["convert", rgb, "-define", "tiff:endian=msb"])
        make("im-tiles.tif", ["convert", rgb, "-define", "tiff:tile-geometry=16x16"])
        if have("tiffcp"):
            for c in ["none", "lzw", "zip", "packbits", "jpeg"]:
                make(f"cp-{c}.tif", ["tiffcp", "-c", c, rgb])
            for c in ["g3", "g4"]:
                make(f"cp-{c}.tif", ["tiffcp", "-c", c, os.path.join(folder, "im-Group4.tif")])
            make("cp-tiles.tif", ["tiffcp", "-t", "-w", "16", "-l", "16", rgb])
            make("cp-strips.tif", ["tiffcp", "-s", "-r", "8", rgb])
            make("cp-big-endian.tif", ["tiffcp", "-B", rgb])
            make("cp-bigtiff.tif", ["tiffcp", "-8", "-c", "lzw", rgb])
            make("cp-bigtiff-be.tif", ["tiffcp", "-8", "-B", "-t", rgb])
            make("cp-pages.tif", ["tiffcp", gray, rgb, bw])
        if have("tiff2bw"):
            make("tiff2bw.tif", ["tiff2bw", rgb])
        if have("exiftool"):
            exif = os.path.join(folder, "exiftool-exif-gps.tif")
            shutil.copy(rgb, exif)
            if run(["exiftool", "-q", "-overwrite_original", "-DateTimeOriginal=2020:01:02 03:04:05",
                    "-ExposureTime=1/50", "-GPSLatitude=48.1", "-GPSLatitudeRef=N",
                    "-GPSLongitude=11.5", "-GPSLongitudeRef=E", "-InteropIndex=R98",
                    exif]).returncode == 0:
                written.append(exif)
        if have("gdal_translate"):
            gdal = ["gdal_translate", "-q", "-a_srs", "EPSG:32633", "-a_ullr", "500000",
                    "4600000", "500640", "4599520"]
            for name, options in [
                    ("none", []), ("lzw-predictor", ["-co", "COMPRESS=LZW", "-co", "PREDICTOR=2"]),
                    ("deflate", ["-co", "COMPRESS=DEFLATE"]), ("jpeg", ["-co", "COMPRESS=JPEG"]),
                    ("tiles", ["-co", "TILED=YES", "-co", "BLOCKXSIZE=16", "-co", "BLOCKYSIZE=16"]),
                    ("bigtiff-be", ["-co", "BIGTIFF=YES", "-co", "ENDIANNESS=BIG"]),
                    ("band-float", ["-co", "INTERLEAVE=BAND", "-ot", "Float32"]),
                    ("cog", ["-of", "COG"])]:
                make(f"gdal-{name}.tif", gdal + options + [rgb])
    written += tifffile_files(folder)
    return written


TIFFFILE_SCRIPT = r"""
import sys, numpy, tifffile
folder = sys.argv[1]
data = numpy.arange(48 * 64, dtype=numpy.uint16).reshape(48, 64)
tifffile.imwrite(folder + '/tf-16bit.tif', data)
tifffile.imwrite(folder + '/tf-float-be.tif', data.astype('float32'), byteorder='>')
tifffile.imwrite(folder + '/tf-tiles.tif', data.astype('uint8'), tile=(16, 16))
tifffile.imwrite(folder + '/tf-rgb-planar.tif', numpy.zeros((3, 48, 64), 'uint8'),
                 photometric='rgb', planarconfig='separate')
tifffile.imwrite(folder + '/tf-bigtiff-pages.tif', numpy.zeros((3, 48, 64), 'uint8'),
                 bigtiff=True, photometric='minisblack')
keys = [1, 1, 0, 4, 1024, 0, 1, 2, 1025, 0, 1, 1, 1026, 34737, 7, 0, 2057, 34736, 1, 0]
tifffile.imwrite(folder + '/tf-geotiff.tif', data.astype('uint8'), extratags=[
    (33550, 12, 3, (1.0, 1.0, 0.0), True),
    (33922, 12, 6, (0.0, 0.0, 0.0, 10.0, 20.0, 0.0), True),
    (34735, 3, len(keys), keys, True),
    (34736, 12, 1, (6378137.0,), True),
    (34737, 2, 0, 'WGS 84|', True)])
"""


def tifffile_files(folder):
    python = "/usr/bin/python3"
    if not os.path.exists(python) or run([python, "-c", "import tifffile"]).returncode != 0:
        print("tifffile is not installed; its files skipped")
        return []
    before = set(os.listdir(folder))
    result = run([python, "-c", TIFFFILE_SCRIPT, folder])
    if result.returncode != 0:
        failures.append("tifffile could not write its files:\n" + result.stderr.decode())
    return [os.path.join(folder, n) for n in sorted(set(os.listdir(folder)) - before)]


def libtiff_reads_cleanly(path):
    if not have("tiffinfo"):
        return True
    result = run(["tiffinfo", "-D", path])
    # Tags libtiff has no name for are no fault of the file.
    warnings = [line for line in result.stderr.decode("utf-8", "replace").splitlines()
                if line.strip() and "Unknown field with tag" not in line]
    return result.returncode == 0 and not warnings


def writers(tool, folder):
    os.makedirs(folder, exist_ok=True)
    checked = skipped = 0
    for path in writer_files(folder):
        if not libtiff_reads_cleanly(path):
            skipped += 1
            continue
        checked += 1
        code, out = check(tool, path)
        if code != 0:
            failures.append("written by a real writer, got an error: " +
                            os.path.basename(path) + "\n" + out)
    print(f"real writers: {checked} files checked, {skipped} that libtiff warns about skipped")


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    tool = sys.argv[4:] + [sys.argv[1]]
    with open(sys.argv[2], encoding="utf-8") as f:
        SCHEMA.update(json.load(f))
    corpus(tool)
    writers(tool, sys.argv[3])
    for text in failures:
        print("FAIL: " + text)
    sys.exit(1 if failures else 0)


main()
