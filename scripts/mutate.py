#!/usr/bin/env python3
"""Mutation testing: does the test suite catch realistic faults?

Each fault of scripts/mutants.txt is applied alone to a copy of the source tree
(build-mutate/tree), which is built incrementally and tested with ctest; a
fault that no test notices survives. Prints one line per fault and the score,
and writes the outcome to build-mutate/report.json; --compare OLD.json lists
the faults that an earlier run caught and this one does not.

    scripts/mutate.py                 # every fault
    scripts/mutate.py --only grid-edge --only typed-thirteen
    scripts/mutate.py --compare build-mutate/before.json
"""
import argparse
import filecmp
import json
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def parse_mutants(path):
    mutants, cur = [], None
    for n, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        m = re.match(r"\[([\w-]+)\]\s*(.*)", line)
        if m:
            cur = {"id": m.group(1), "what": m.group(2), "line": n}
            mutants.append(cur)
        elif cur is None:
            sys.exit(f"{path}:{n}: text before the first [id]")
        elif line.startswith("file: "):
            cur["file"] = line[6:].strip()
        elif line.startswith("- "):
            cur["from"] = line[2:]
        elif line.startswith("+ "):
            cur["to"] = line[2:]
        else:
            sys.exit(f"{path}:{n}: not understood: {line}")
    ids = set()
    for m in mutants:
        for key in ("file", "from", "to"):
            if key not in m:
                sys.exit(f"{path}:{m['line']}: [{m['id']}] has no {key}")
        if m["id"] in ids:
            sys.exit(f"{path}:{m['line']}: [{m['id']}] twice")
        ids.add(m["id"])
    return mutants


def tracked_files():
    out = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard"],
                         cwd=ROOT, check=True, capture_output=True, text=True).stdout
    return [f for f in out.splitlines() if os.path.isfile(os.path.join(ROOT, f))]


def sync_tree(tree):
    """Makes tree a copy of the working tree's files, touching only those that differ."""
    files = tracked_files()
    keep = set(files)
    for dirpath, _, names in os.walk(tree):
        for name in names:
            rel = os.path.relpath(os.path.join(dirpath, name), tree)
            if rel not in keep:
                os.remove(os.path.join(dirpath, name))  # gone from the working tree
    for f in files:
        src, dst = os.path.join(ROOT, f), os.path.join(tree, f)
        if os.path.exists(dst) and filecmp.cmp(src, dst, shallow=False):
            continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copy2(src, dst)
        os.utime(dst)  # newer than any object built from an earlier version


def run(cmd, cwd, timeout=None, log=None):
    try:
        p = subprocess.run(cmd, cwd=cwd, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return 124, "timed out"
    if log:
        with open(log, "w", encoding="utf-8") as fh:
            fh.write(p.stdout + p.stderr)
    return p.returncode, p.stdout + p.stderr


def first_failure(output):
    m = re.search(r"\d+ - (\S+) \(Failed|\d+ - (\S+) \(Timeout|\d+ - (\S+) \(\w+", output)
    if m:
        return next(g for g in m.groups() if g)
    m = re.search(r"Test +#\d+: (\S+) \.+\*+(?:Failed|Timeout|Exception)", output)
    return m.group(1) if m else "?"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--mutants", default=os.path.join(ROOT, "scripts", "mutants.txt"))
    ap.add_argument("--workdir", default=os.path.join(ROOT, "build-mutate"))
    ap.add_argument("--only", action="append", help="only this fault (may be repeated)")
    ap.add_argument("--list", action="store_true", help="list the faults and stop")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    ap.add_argument("--timeout", type=int, default=900, help="seconds per test run")
    ap.add_argument("--test-timeout", type=int, default=180,
                    help="seconds per test: a fault that makes a search run away fails there")
    ap.add_argument("--compare", help="an earlier report.json: faults it caught must be caught")
    args = ap.parse_args()

    mutants = parse_mutants(args.mutants)
    if args.only:
        unknown = set(args.only) - {m["id"] for m in mutants}
        if unknown:
            sys.exit("unknown fault: " + ", ".join(sorted(unknown)))
        mutants = [m for m in mutants if m["id"] in args.only]
    if args.list:
        for m in mutants:
            print(f"{m['id']:24} {m['file']}: {m['what']}")
        return 0

    # Every fault must apply to today's code, or the list has gone stale.
    for m in mutants:
        text = open(os.path.join(ROOT, m["file"]), encoding="utf-8").read()
        if text.count(m["from"]) != 1:
            sys.exit(f"[{m['id']}] '{m['from']}' occurs {text.count(m['from'])} times in "
                     f"{m['file']} (must be once)")

    tree = os.path.join(args.workdir, "tree")
    build = os.path.join(args.workdir, "build")
    logs = os.path.join(args.workdir, "logs")
    os.makedirs(tree, exist_ok=True)
    os.makedirs(logs, exist_ok=True)
    sync_tree(tree)
    # Configured every time, so that an earlier copy takes today's test time limit.
    rc, out = run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                   f"-DNORVADEX_TEST_TIMEOUT={args.test_timeout}"], ROOT)
    if rc != 0:
        sys.exit("configure failed:\n" + out)
    build_cmd = ["cmake", "--build", build, "-j", str(args.jobs)]
    test_cmd = ["ctest", "--test-dir", build, "-j", str(args.jobs), "--stop-on-failure",
                "--timeout", str(args.timeout), "--output-on-failure"]
    print("building and testing the unchanged copy ...", flush=True)
    rc, out = run(build_cmd, ROOT, log=os.path.join(logs, "clean-build.log"))
    if rc != 0:
        sys.exit("the unchanged tree does not build; see " + os.path.join(logs, "clean-build.log"))
    rc, out = run(test_cmd, ROOT, log=os.path.join(logs, "clean-test.log"))
    if rc != 0:
        sys.exit("the unchanged tree fails its tests; see " + os.path.join(logs, "clean-test.log"))

    results = {}
    for i, m in enumerate(mutants, 1):
        path = os.path.join(tree, m["file"])
        original = open(path, encoding="utf-8").read()
        start = time.time()
        try:
            with open(path, "w", encoding="utf-8") as fh:
                fh.write(original.replace(m["from"], m["to"], 1))
            rc, out = run(build_cmd, ROOT, log=os.path.join(logs, m["id"] + ".build.log"))
            if rc != 0:
                outcome, by = "no-build", ""
            else:
                rc, out = run(test_cmd, ROOT, timeout=args.timeout * 2,
                              log=os.path.join(logs, m["id"] + ".test.log"))
                outcome, by = ("killed", first_failure(out)) if rc != 0 else ("survived", "")
        finally:
            with open(path, "w", encoding="utf-8") as fh:
                fh.write(original)
            os.utime(path)
        results[m["id"]] = {"outcome": outcome, "by": by, "what": m["what"], "file": m["file"]}
        print(f"[{i:2}/{len(mutants)}] {outcome:8} {m['id']:24} {by or m['what']} "
              f"({time.time() - start:.0f} s)", flush=True)
    run(build_cmd, ROOT)  # leave the copy built as it is

    valid = [k for k, r in results.items() if r["outcome"] != "no-build"]
    killed = [k for k in valid if results[k]["outcome"] == "killed"]
    print(f"\nscore: {len(killed)} of {len(valid)} faults caught")
    for k in valid:
        if results[k]["outcome"] == "survived":
            print(f"  survived: {k} ({results[k]['file']}): {results[k]['what']}")
    for k, r in results.items():
        if r["outcome"] == "no-build":
            print(f"  does not build (fix the list): {k}")
    with open(os.path.join(args.workdir, "report.json"), "w", encoding="utf-8") as fh:
        json.dump(results, fh, indent=1)
    status = 0 if len(killed) == len(valid) else 1
    if args.compare:
        old = json.load(open(args.compare, encoding="utf-8"))
        lost = [k for k, r in old.items()
                if r["outcome"] == "killed" and results.get(k, {}).get("outcome") == "survived"]
        for k in lost:
            print(f"  caught before, survives now: {k}")
        status = 2 if lost else status
    return status


if __name__ == "__main__":
    sys.exit(main())
