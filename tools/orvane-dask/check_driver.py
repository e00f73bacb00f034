#!/usr/bin/python3
"""orvane-dask on a local cluster of two workers against orvane-dump run
directly on the same tree: the same rows (each once), the same exit code,
and no process of the driver's left behind, the cluster's included.

    check_driver.py ORVANE-DASK ORVANE-DUMP WORKDIR
"""

import collections
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import time

# Two driver runs, the direct run and the grace periods stay inside the
# test's CTest timeout, so this script, not CTest, stops what hangs.
DRIVER_SECONDS = 100


def tiff(order, entries, bigtiff=False, next_offset=0, ifd_at=None):
    """A file with one directory of inline entries (tag, type, value)."""
    e = "<" if order == b"II" else ">"
    if bigtiff:
        ifd = ifd_at if ifd_at is not None else 16
        head = order + struct.pack(e + "HHHQ", 43, 8, 0, ifd)
        body = struct.pack(e + "Q", len(entries))
        for tag, kind, value in entries:
            body += struct.pack(e + "HHQQ", tag, kind, 1, value)
        body += struct.pack(e + "Q", next_offset)
    else:
        ifd = ifd_at if ifd_at is not None else 8
        head = order + struct.pack(e + "HI", 42, ifd)
        body = struct.pack(e + "H", len(entries))
        for tag, kind, value in entries:
            fmt = "HHIHH" if kind == 3 else "HHII"
            body += struct.pack(e + fmt, tag, kind, 1, value, *([0] if kind == 3 else []))
        body += struct.pack(e + "I", next_offset)
    return head + body + b"\0" * 16


# The strip lies in the padding after the directory (offset 86 of a classic file).
BASELINE = [(256, 4, 4), (257, 4, 1), (262, 3, 1), (273, 4, 86), (278, 4, 1), (279, 4, 4)]


def write_tree(root, samples):
    """Clean, damaged and foreign files, classic and BigTIFF, both byte
    orders, in nested folders, one with a name that is not UTF-8."""
    files = {
        "a/plain-le.tif": tiff(b"II", BASELINE),
        "a/plain-be.tif": tiff(b"MM", BASELINE),
        "a/b/big.tif": tiff(b"II", [(t, 16 if k == 4 else k, v) for t, k, v in BASELINE],
                            bigtiff=True),
        "a/b/loop.tif": tiff(b"II", BASELINE, next_offset=8),
        "a/b/c/outside.tif": tiff(b"MM", BASELINE, ifd_at=1 << 30),
        "a/b/c/truncated.tif": tiff(b"II", BASELINE)[:20],
        "a/b/c/wrong-type.tif": tiff(b"II", [(256, 2, 4)] + BASELINE[1:]),
        "a/readme.txt": b"not a picture\n",
        "a/empty": b"",
        "sidecar.xmp": b"<x:xmpmeta/>",
    }
    for name, data in files.items():
        os.makedirs(os.path.join(root, os.path.dirname(name)), exist_ok=True)
        with open(os.path.join(root, name), "wb") as f:
            f.write(data)
    for i, sample in enumerate(samples):
        for copy in range(12):
            folder = os.path.join(root, "samples", str(copy % 3))
            os.makedirs(folder, exist_ok=True)
            shutil.copyfile(sample, os.path.join(folder, f"{i}-{copy}.tif"))
    with open(os.path.join(os.fsencode(root), b"a", b"caf\xe9.tif"), "wb") as f:
        f.write(tiff(b"II", BASELINE))


def rows_of(text):
    """The rows as canonical strings, counted: a row lost or written twice
    shows as a difference."""
    return collections.Counter(json.dumps(json.loads(line), sort_keys=True)
                               for line in text.splitlines() if line.strip())


def group_members(pgid):
    members = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[2]) == pgid and fields[0] != "Z":
            members.append(int(pid))
    return members


def run_driver(driver, dump, workdir):
    """The driver in a process group of its own, so that whatever it starts
    can be found and stopped, also when it hangs or the test fails."""
    process = subprocess.Popen(
        [driver, "--workers", "2", "--shard-size", "9", "--orvane-dump", dump, "tree"],
        cwd=workdir, stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
    try:
        out, err = process.communicate(timeout=DRIVER_SECONDS)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        sys.exit(f"orvane-dask did not finish within {DRIVER_SECONDS} s")
    finally:
        # The cluster must have stopped with the driver; give its processes a
        # moment to exit, then note and stop any left.
        deadline = time.monotonic() + 10
        while group_members(process.pid) and time.monotonic() < deadline:
            time.sleep(0.2)
        left = group_members(process.pid)
        if left:
            os.killpg(process.pid, signal.SIGKILL)
    if left:
        sys.exit(f"orvane-dask left {len(left)} processes running")
    return process.returncode, out.decode(), err.decode(errors="replace")


def main(driver, dump, workdir):
    shutil.rmtree(workdir, ignore_errors=True)
    samples_dir = os.path.join(os.path.dirname(__file__), "..", "..", "samples")
    write_tree(os.path.join(workdir, "tree"),
               [os.path.join(samples_dir, n) for n in ("sample.tif", "sample-be.tif")])
    direct = subprocess.run([dump, "--check", "--format", "jsonl", "--jobs", "2", "tree"],
                            cwd=workdir, capture_output=True, timeout=60, check=False)
    expected = rows_of(direct.stdout.decode())
    if len(expected) < 30 or direct.returncode not in (0, 1, 2):
        sys.exit(f"the direct run gave {len(expected)} rows, exit code {direct.returncode}:\n"
                 + direct.stderr.decode(errors="replace"))

    code, out, err = run_driver(driver, dump, workdir)
    got = rows_of(out)
    failures = []
    if got != expected:
        failures.append("rows differ\n  only direct: %s\n  only orvane-dask: %s" % (
            list((expected - got).elements())[:5], list((got - expected).elements())[:5]))
    if code != direct.returncode:
        failures.append(f"exit code {code}, the direct run's {direct.returncode}")
    if f"files: {sum(expected.values())} (" not in err:
        failures.append("no summary with the file count")
    if failures:
        sys.exit("\n".join(failures) + "\nstderr of orvane-dask:\n" + err)
    print(f"{sum(got.values())} rows alike, exit code {code}")

    # Workers that cannot start orvane-dump leave files without rows: that
    # must fail the run, not pass as a clean one.
    code, out, err = run_driver(driver, os.path.join(workdir, "no-such-orvane-dump"), workdir)
    if code != 2 or out or "failed shards: 4" not in err:
        sys.exit(f"without orvane-dump: exit code {code}, {len(out)} bytes of rows, stderr:\n{err}")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
