#!/usr/bin/python3
"""orvane-dump --check on many files, run as a user runs it.

  check_batch.py TOOL MAKE_DUMP_FILES SAMPLES_FOLDER WORK_FOLDER

Folders (nested, with a link loop), a list on standard input, files that
are not TIFF or cannot be read, a name that is not UTF-8, CSV quoting, a
run killed part way and resumed, and every row's verdict and findings
against the single-file check of the same file.
"""
import csv
import io
import json
import os
import shutil
import signal
import subprocess
import sys
import time

TOOL, MAKE_FILES, SAMPLES, WORK = sys.argv[1:5]
failures = []


def expect(condition, text):
    if not condition:
        failures.append(text)


def run(args, **kw):
    kw.setdefault("capture_output", True)
    return subprocess.run([TOOL] + args, timeout=120, **kw)


def rows_of(out):
    return [json.loads(line) for line in out.decode().splitlines()]


def make_tree():
    """A nested tree of TIFF files (good, broken, cut), sidecars, an empty
    file, a name that is not UTF-8 and a link back to the top."""
    shutil.rmtree(WORK, ignore_errors=True)
    seeds = os.path.join(WORK, "seeds")
    os.makedirs(seeds)
    subprocess.run([MAKE_FILES, seeds], check=True, timeout=60)
    for name in ("sample.tif", "sample-be.tif"):
        shutil.copy(os.path.join(SAMPLES, name), seeds)
    tree = os.path.join(WORK, "tree")
    for depth, folder in enumerate(["a", "a/b", "a/b/c", "d"]):
        os.makedirs(os.path.join(tree, folder))
        for name in sorted(os.listdir(seeds)):
            data = open(os.path.join(seeds, name), "rb").read()
            with open(os.path.join(tree, folder, f"{depth}-{name}"), "wb") as f:
                f.write(data)
            with open(os.path.join(tree, folder, f"{depth}-cut-{name}"), "wb") as f:
                f.write(data[: 300 + 200 * depth])
        with open(os.path.join(tree, folder, "notes.xml"), "w") as f:
            f.write("<sidecar/>\n")
    open(os.path.join(tree, "a", "empty"), "wb").close()
    shutil.copy(os.path.join(SAMPLES, "sample.tif"), os.path.join(tree.encode(), b"d/bad\xffname\\x41.tif"))
    os.symlink("../..", os.path.join(tree, "a/b/loop"))
    os.symlink(os.path.join(SAMPLES, "sample.tif"), os.path.join(tree, "d/outside.tif"))
    return tree


def files_below(tree):
    found = []
    for root, _, names in os.walk(tree.encode()):
        found += [os.path.join(root, n) for n in names if not os.path.islink(os.path.join(root, n))]
    return sorted(found)


def unescape(text):
    out, i = bytearray(), 0
    raw = text.encode()
    while i < len(raw):
        if raw[i : i + 2] == b"\\\\":
            out += b"\\"
            i += 2
        elif raw[i : i + 2] == b"\\x":
            out.append(int(raw[i + 2 : i + 4], 16))
            i += 4
        else:
            out.append(raw[i])
            i += 1
    return bytes(out)


def test_tree_and_verdicts(tree):
    result = run(["--check", "--jobs", "2", tree])
    rows = rows_of(result.stdout)
    paths = sorted(unescape(row["path"]) for row in rows)
    expect(paths == files_below(tree), "the walk did not give every file once, and no link")
    expect(len(set(paths)) == len(paths), "a file came twice")
    names = {row["path"] for row in rows}
    expect(tree + "/d/bad\\xFFname\\\\x41.tif" in names, "a name that is not UTF-8 is not escaped")
    verdicts = {os.path.basename(unescape(r["path"])): r["verdict"] for r in rows}
    expect(verdicts.get(b"notes.xml") == "not-tiff" and verdicts.get(b"empty") == "not-tiff",
           "sidecars are not not-tiff")
    expect(result.returncode == 1, f"exit code {result.returncode} for a tree with errors")
    summary = result.stderr.decode().splitlines()
    expect(summary[0].startswith(f"files: {len(rows)} (clean "), f"summary: {summary}")
    expect(summary[2].startswith("time: ") and " files/s, " in summary[2], f"summary: {summary}")
    for row in rows:
        path = unescape(row["path"])
        single = run(["--check", "--json", path])
        code = {"clean": 0, "warnings": 0, "errors": 1, "unreadable": 2, "not-tiff": 2}
        expect(single.returncode == code[row["verdict"]], f"{path}: verdict {row['verdict']}, "
               f"single check {single.returncode}")
        if single.returncode != 2:
            expect(json.loads(single.stdout)["findings"] == row["findings"],
                   f"{path}: findings differ from the single check")
    return rows


def test_stdin_and_csv(tree):
    files = [p for p in files_below(tree) if b"bad" not in p]
    listed = [p for p in files if b"-exif" in p][:3] + files[:3] + [b"/no/such/file.tif", b""]
    result = run(["--check", "--format", "csv", "-"], input=b"\n".join(listed) + b"\n")
    records = list(csv.reader(io.StringIO(result.stdout.decode())))
    expect(records[0] == ["path", "verdict", "errors", "warnings", "infos", "first_error",
                          "first_error_message"], "CSV header")
    expect(sorted(r[0].encode() for r in records[1:]) == sorted(listed[:-1]),
           "standard input: not every listed path has a row")
    missing = [r for r in records if r[0] == "/no/such/file.tif"]
    expect(missing and missing[0][1] == "unreadable" and missing[0][6], "missing file not unreadable")
    expect(result.returncode == 2, f"exit code {result.returncode} with an unreadable file")
    quoted = [r for r in records[1:] if "," in r[6]]
    expect(quoted, "no message with a comma came through the quoting")


def test_permission_denied(tree):
    locked = os.path.join(WORK, "locked")
    os.makedirs(locked)
    os.chmod(locked, 0o755)
    os.chmod(WORK, 0o755)
    shutil.copy(os.path.join(SAMPLES, "sample.tif"), os.path.join(locked, "closed.tif"))
    os.chmod(os.path.join(locked, "closed.tif"), 0)
    as_other = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
    result = subprocess.run(as_other + [TOOL, "--check", locked], capture_output=True, timeout=60)
    rows = rows_of(result.stdout)
    expect(len(rows) == 1 and rows[0]["verdict"] == "unreadable" and rows[0]["reason"],
           f"permission denied is not unreadable: {rows}")
    expect(result.returncode == 2, f"exit code {result.returncode} for an unreadable file")


def rows_written(output):
    return open(output, "rb").read().count(b"\n") if os.path.exists(output) else 0


def killed_run(listing, output, extra):
    """Starts a run reading paths from a pipe, gives it half the list, and
    kills it once it has written rows; then cuts its last row as a kill in
    the middle of a write would."""
    fifo = os.path.join(WORK, "paths.fifo")
    os.mkfifo(fifo)
    reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
    proc = subprocess.Popen([TOOL, "--check", "--jobs", "2", "--output", output] + extra + ["-"],
                            stdin=reader, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(reader)
    try:
        with open(fifo, "wb") as pipe:
            pipe.write(b"".join(p + b"\n" for p in listing[: len(listing) // 2]))
            pipe.flush()
            deadline = time.monotonic() + 30
            while time.monotonic() < deadline and rows_written(output) < 4:
                time.sleep(0.01)
            proc.send_signal(signal.SIGKILL)
    finally:
        proc.kill()
        proc.wait(timeout=30)
        os.unlink(fifo)
    with open(output, "ab") as f:
        f.write(b'{"path":"' + listing[-1] if "--format" not in extra else b'"' + listing[-1] + b'",err')


def test_resume_after_kill(tree, form):
    listing = [p for p in files_below(tree) if b"bad" not in p]
    stdin = b"".join(p + b"\n" for p in listing)
    extra = ["--format", "csv"] if form == "csv" else []
    full = run(["--check", "--jobs", "2"] + extra + ["-"], input=stdin).stdout.decode()
    output = os.path.join(WORK, "rows." + form)
    killed_run(listing, output, extra)
    before = open(output, "rb").read().count(b"\n")
    result = run(["--check", "--jobs", "2", "--output", output, "--resume"] + extra + ["-"],
                 input=stdin)
    lines = open(output).read().splitlines()
    expect(0 < before < len(listing), f"{form}: the killed run wrote {before} rows")
    expect(sorted(lines) == sorted(full.splitlines()), f"{form}: resumed rows differ from a full run")
    expect(len(set(lines)) == len(lines), f"{form}: a row came twice")
    expect(result.returncode == 1, f"{form}: exit code {result.returncode} after resuming")


def main():
    tree = make_tree()
    test_tree_and_verdicts(tree)
    test_stdin_and_csv(tree)
    test_permission_denied(tree)
    for form in ("jsonl", "csv"):
        test_resume_after_kill(tree, form)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
