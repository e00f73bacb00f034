#!/usr/bin/python3
"""orvane-dump --decode GeoKeyDirectory against listgeo, on files GDAL writes.

  geokeys_listgeo.py TOOL FOLDER [EMULATOR...]

gdal_translate georeferences a small raster in a geographic (EPSG:4326) and
a projected (EPSG:32633) system; every key listgeo lists must appear in the
decoded view by name with the same value. listgeo names coded values where
it knows them: a name from the GeoTIFF code lists appears as it is, an EPSG
system name stands for the code the file was made with, "Code-N" and
"User-Defined" for their numbers. Skipped when GDAL or listgeo is not
installed.
"""
import os
import re
import shutil
import subprocess
import sys

tool, folder, emulator = sys.argv[1], sys.argv[2], sys.argv[3:]
failures = []
# listgeo's key line: "   GTModelTypeGeoKey (Short,1): ModelTypeProjected"
# Names listgeo gives for codes the decoded view shows as numbers alone.
NUMBERS = {"User-Defined": 32767, "CT_LambertConfConic_2SP": 8}
KEY_LINE = re.compile(r"^\s+(\w+GeoKey) \((\w+),(\d+)\): (.*?)\s*$")


def run(args):
    result = subprocess.run(args, capture_output=True, timeout=60)
    if result.returncode != 0:
        failures.append(f"{' '.join(args)}: {result.stderr.decode(errors='replace')}")
    # Under Wine the console's text mode ends lines with CR LF.
    return result.stdout.decode("utf-8").replace("\r\n", "\n")


def decoded_keys(path):
    """Name -> (type, count, value text) of the decoded view's key lines."""
    lines = run(emulator + [tool, "--decode", "34735", path]).splitlines()
    matches = [re.match(r"^\s+(\w+GeoKey) \((\d+), (\w+), (\d+)\): (.*)$", s) for s in lines]
    return {m[1]: (m[3], m[4], m[5]) for m in matches if m}


def same_value(kind, listed, ours, epsg):
    if kind == "Ascii":
        return ours == listed
    if kind == "Double":
        return all(abs(float(a) - float(b)) <= 1e-9 * max(1.0, abs(float(a)))
                   for a, b in zip(listed.split(), ours.split(), strict=True))
    number, _, name = ours.partition(" ")
    code = re.match(r"^Code-(\d+)", listed)
    if listed.isdigit() or code:
        return number == (code[1] if code else listed)
    if re.match(r"^(PCS|GCS)_", listed):
        return number == str(epsg)
    if listed in NUMBERS:
        return number == str(NUMBERS[listed])
    return name == listed


def check(name, srs, bounds, epsg=None):
    source = os.path.join(folder, "plain.tif")
    path = os.path.join(folder, f"{name}.tif")
    run(["gdal_translate", "-q", "-of", "GTiff", "-outsize", "4", "4", "-a_srs", srs,
         "-a_ullr", *bounds, source, path])
    listed = [m.groups() for m in map(KEY_LINE.match, run(["listgeo", path]).splitlines()) if m]
    if len(listed) < 5:
        failures.append(f"{path}: listgeo lists only {listed}")
    ours = decoded_keys(path)
    for key, kind, count, value in listed:
        if key not in ours:
            failures.append(f"{path}: {key} is missing; decoded keys: {sorted(ours)}")
            continue
        our_type, our_count, our_value = ours[key]
        if our_type.lower() != kind.lower() or our_count != count:
            failures.append(f"{path}: {key} is {kind},{count} to listgeo, "
                            f"{our_type},{our_count} here")
        if not same_value(kind, value, our_value, epsg):
            failures.append(f"{path}: {key} is {value!r} to listgeo, {our_value!r} here")


if not shutil.which("gdal_translate") or not shutil.which("listgeo"):
    print("gdal_translate or listgeo is not installed; skipped")
    sys.exit(0)
os.makedirs(folder, exist_ok=True)
# A raster of no particular system for gdal_translate to georeference.
run(["gdal_create", "-q", "-of", "GTiff", "-outsize", "4", "4", "-bands", "1", "-ot", "Byte",
     os.path.join(folder, "plain.tif")])
check("wgs84", "EPSG:4326", ["10", "50", "11", "49"], 4326)
check("utm33", "EPSG:32633", ["350000", "5800000", "350120", "5799880"], 32633)
check("pseudo-mercator", "EPSG:3857", ["0", "0", "120", "-120"], 3857)
# A system of its own: user-defined codes and the projection's parameters.
check("lcc", "+proj=lcc +lat_1=45 +lat_2=50 +lat_0=40 +lon_0=10 +x_0=100 +y_0=200 +ellps=intl "
      "+units=m", ["0", "0", "120", "-120"])
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
