#!/usr/bin/python3
"""orvane-dump --decode and --extract on files written at test time.

  decode_outside_tools.py TOOL FOLDER [EMULATOR...]

tifffile writes GeoTIFF keys (both byte orders), ImageJ and OME-XML
descriptions; ImageMagick embeds an ICC profile and exiftool adds XMP and
IPTC to it. The decoded text must agree with exiftool's reading (-n: the
numbers as stored) and the extracted bytes with exiftool's -b output.
Writers that are not installed are skipped.
"""
import os
import shutil
import subprocess
import sys

failures = []
tool, folder, emulator = sys.argv[1], sys.argv[2], sys.argv[3:]


def run(args):
    return subprocess.run(args, capture_output=True, timeout=60)


def decode(tag, path):
    result = run(emulator + [tool, "--decode", tag, path])
    if result.returncode != 0:
        failures.append(f"--decode {tag} {path}: {result.stderr.decode(errors='replace')}")
    # Under Wine the console's text mode ends lines with CR LF.
    return result.stdout.decode("utf-8").replace("\r\n", "\n")


def exif(path, *tags):
    import json
    return json.loads(run(["exiftool", "-j", "-n", *tags, path]).stdout)[0]


def expect(text, line, what):
    if line not in text:
        failures.append(f"{what}: no line {line!r} in\n{text}")


def geotiff():
    import numpy
    import tifffile
    keys = [1, 1, 0, 6, 1024, 0, 1, 1, 1025, 0, 1, 2, 1026, 34737, 12, 0,
            3072, 0, 1, 32633, 3076, 0, 1, 9001, 3082, 34736, 1, 0]
    for order in "<>":
        path = os.path.join(folder, f"geo{'-be' if order == '>' else ''}.tif")
        tifffile.imwrite(path, numpy.zeros((4, 4), "uint8"), byteorder=order, metadata=None,
                         extratags=[(34735, 3, len(keys), keys, True),
                                    (34736, 12, 1, [500000.0], True),
                                    (34737, 2, 0, "UTM zone 33|", True),
                                    (33922, 12, 6, [0, 0, 0, 350000.5, 5800000, 0], True),
                                    (33550, 12, 3, [30, 30, 0], True)])
        text = decode("GeoKeyDirectory", path)
        keys_seen = exif(path, "-GeoTiff:all")
        for name, value in keys_seen.items():
            if name in ("SourceFile", "GeoTiffVersion"):
                continue
            if isinstance(value, str):
                value = f'"{value}"'
            expect(text, f"{name}GeoKey (", path)
            line = next((l for l in text.splitlines() if f"{name}GeoKey (" in l), "")
            if not line.split(": ", 1)[-1].startswith(str(value)):
                failures.append(f"{path}: {name} is {value} to exiftool, {line!r} here")
        expect(decode("ModelTiepoint", path), "raster (0, 0, 0) -> model (350000.5, 5800000, 0)",
               path)
        expect(decode("ModelPixelScale", path), "Pixel scale (x, y, z): 30, 30, 0", path)
        json_matches_text(path, 34735, text)


def json_matches_text(path, code, text):
    """--json's "decoded" member holds the lines --decode prints."""
    import json
    doc = json.loads(run(emulator + [tool, "--json", path]).stdout)
    entry = next(e for e in doc["pages"][0]["entries"] if e["code"] == code)
    lines = "".join("  " * l["depth"] + l["text"] + "\n" for l in entry["decoded"]["lines"])
    if lines != text:
        failures.append(f"{path}: --json decodes {code} as\n{lines}\n--decode as\n{text}")


def icc_xmp_iptc():
    profile = "/usr/share/color/icc/ghostscript/default_rgb.icc"
    if not shutil.which("convert") or not os.path.exists(profile):
        print("ImageMagick or its sRGB profile missing; ICC skipped")
        return
    path = os.path.join(folder, "photo.tif")
    run(["convert", "-size", "8x8", "xc:red", "-profile", profile, path])
    run(["exiftool", "-q", "-overwrite_original", "-codedcharacterset=utf8",
         "-XMP-dc:Title=Über den Wolken", "-IPTC:Keywords=alpha", "-IPTC:Keywords=beta",
         "-IPTC:City=Zürich", path])
    text = decode("ICCProfile", path)
    info = exif(path, "-ICC_Profile:all")
    for label, key in [("Version", "ProfileVersion"), ("Class", "ProfileClass"),
                       ("Colour space", "ColorSpaceData"), ("Connection space", "ProfileConnectionSpace"),
                       ("Date", "ProfileDateTime"), ("Rendering intent", "RenderingIntent"),
                       ("ProfileDescription", "ProfileDescription")]:
        value = str(info[key])
        if key == "ProfileVersion":
            value = f"{int(value) >> 8}.{(int(value) >> 4) & 15}.{int(value) & 15}"
        line = next((l for l in text.splitlines() if l.startswith(label)), "")
        if value.strip() not in line:
            failures.append(f"ICC {key} is {value!r} to exiftool, {line!r} here")
    json_matches_text(path, 34675, text)
    xmp = decode("XMP", path)
    expect(xmp, "          <rdf:li xml:lang='x-default'>Über den Wolken</rdf:li>", "XMP title")
    iptc = decode("IPTC", path)
    for line in ["2:25 Keywords: alpha", "2:25 Keywords: beta", "2:90 City: Zürich"]:
        expect(iptc, line, "IPTC")
    for tag, exif_tag in [("ICCProfile", "-ICC_Profile"), ("XMP", "-XMP")]:
        out = os.path.join(folder, tag + ".bin")
        run(emulator + [tool, "--extract", tag, path, out])
        with open(out, "rb") as f:
            if f.read() != run(["exiftool", "-b", exif_tag, path]).stdout:
                failures.append(f"--extract {tag} differs from exiftool -b {exif_tag}")


def imagej_ome():
    import numpy
    import tifffile
    path = os.path.join(folder, "imagej.tif")
    tifffile.imwrite(path, numpy.zeros((5, 8, 8), "uint8"), imagej=True)
    text = decode("ImageDescription", path)
    expect(text, "  images: 5", path)
    expect(text, "Pages in the file: 5", path)
    path = os.path.join(folder, "ome.tif")
    tifffile.imwrite(path, numpy.zeros((3, 2, 4, 4), "uint8"), ome=True, photometric="minisblack",
                     metadata={"axes": "ZCYX"})
    expect(decode("ImageDescription", path), "Planes declared: 6; pages in the file: 6", path)


os.makedirs(folder, exist_ok=True)
if not shutil.which("exiftool"):
    print("exiftool is not installed; skipped")
    sys.exit(0)
try:
    import tifffile  # noqa: F401
    geotiff()
    imagej_ome()
except ImportError:
    print("tifffile is not installed; GeoTIFF, ImageJ and OME skipped")
icc_xmp_iptc()
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
