#!/usr/bin/env python3
"""Compares the results of two norvadex-cli binaries, byte for byte.

The reference is the engine of commit 39d92fa, the last one before the engine
was made faster: by default the script builds its norvadex-cli once into
build/ref-39d92fa (a temporary git worktree of that commit, cmake, ninja) and
compares it with build/norvadex-cli.

  scripts/compare-results.py [--old CLI] [--new CLI] [--seed S] [--count N]
                             [--limit SECONDS] [--jobs N]

Every combination (COUNT seeded random ones from scripts/combos.py, then the
benchmark list of bench/main.cpp) runs with `--json --table` under both; the
standard output (without its "seconds" line, and with the reference's chance
of goal "0" mended to 1), the standard error and the exit status must be the same. A combination the old binary does not finish within
the limit (in processor seconds, so that other work on the machine does not
shorten it) is left out (and so are the benchmark's that bench/main.cpp marks as
over 60 s, unless the limit is longer). Exits with 0 when every output is the same, 1 otherwise.
"""

import argparse
import concurrent.futures
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import combos  # noqa: E402

REFERENCE = "39d92fa"


def build_reference(root):
    """norvadex-cli of the reference commit, built once and kept in build/."""
    out = os.path.join(root, "build", "ref-" + REFERENCE)
    cli = os.path.join(out, "norvadex-cli")
    if os.path.exists(cli):
        return cli
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "src")
        subprocess.run(["git", "-C", root, "worktree", "add", "--detach", src, REFERENCE],
                       check=True)
        try:
            subprocess.run(["cmake", "-S", src, "-B", out, "-G", "Ninja",
                            "-DCMAKE_BUILD_TYPE=Release", "-DNORVADEX_BUILD_UI=OFF",
                            "-DNORVADEX_BUILD_TESTS=OFF", "-DNORVADEX_BUILD_BENCH=OFF"],
                           check=True, stdout=subprocess.DEVNULL)
            subprocess.run(["cmake", "--build", out, "-j", "2", "--target", "norvadex-cli"],
                           check=True)
        finally:
            subprocess.run(["git", "-C", root, "worktree", "remove", "--force", src])
    return cli


def run(cli, args, limit):
    """(status, output without the seconds, standard error), or None after the limit."""
    p = combos.run_limited([cli, "--json", "--table", *args], limit)
    if p is None:
        return None
    out = b"".join(line for line in p.stdout.splitlines(keepends=True)
                   if not line.startswith(b'  "seconds": '))
    # The reference gave the goal row "0" (no trick anywhere, so sure) the
    # expected tricks, 0, instead of its chance, 1.
    out = out.replace(b'"goal": "0",\n      "probability": 0.0,',
                      b'"goal": "0",\n      "probability": 1.0,')
    return p.returncode, out, p.stderr


def first_difference(a, b):
    for what, x, y in (("exit status", a[0], b[0]), ("standard error", a[2], b[2])):
        if x != y:
            return f"{what}: {x!r} against {y!r}"
    la, lb = a[1].splitlines(), b[1].splitlines()
    for n, (x, y) in enumerate(zip(la, lb), 1):
        if x != y:
            return f"output line {n}: {x.decode()!r} against {y.decode()!r}"
    return f"output: {len(la)} lines against {len(lb)}"


def compare(old, new, args, limit):
    """None when the old binary did not finish, else the difference ('' for none)."""
    a = run(old, args, limit)
    if a is None:
        return None
    b = run(new, args, 2 * limit)
    if b is None:
        return f"the new binary took more than {2 * limit} s"
    return "" if a == b else first_difference(a, b)


def main():
    root = combos.ROOT
    p = argparse.ArgumentParser(description=__doc__,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--old", help="the reference norvadex-cli (default: built from " + REFERENCE + ")")
    p.add_argument("--new", default=os.path.join(root, "build", "norvadex-cli"))
    p.add_argument("--seed", type=int, default=2)
    p.add_argument("--count", type=int, default=300)
    p.add_argument("--limit", type=float, default=60,
                   help="processor seconds per combination (old binary)")
    p.add_argument("--jobs", type=int, default=2)
    o = p.parse_args()
    old = o.old or build_reference(root)
    # The benchmark's combinations that bench/main.cpp marks as over 60 s with
    # the old engine are left out at once unless the limit is longer.
    bench = [args for args, before in combos.bench_list() if before is not None or o.limit > 60]
    todo = combos.random_combos(o.seed, o.count) + bench
    print(f"old: {old}\nnew: {o.new}\n{len(todo)} combinations (seed {o.seed}), "
          f"{o.limit:g} s each at most", flush=True)
    start = time.monotonic()
    same = differ = unfinished = 0
    with concurrent.futures.ThreadPoolExecutor(o.jobs) as pool:
        results = pool.map(lambda a: compare(old, o.new, a, o.limit), todo)
        for args, diff in zip(todo, results):
            if diff is None:
                unfinished += 1
                print(f"not finished by the old binary: {combos.line_of(args)}", flush=True)
            elif diff:
                differ += 1
                print(f"DIFFERENT: {combos.line_of(args)}\n  {diff}", flush=True)
            else:
                same += 1
    unfinished += len(combos.bench_list()) - len(bench)
    print(f"{same} identical, {differ} different, {unfinished} left out (over {o.limit:g} s); "
          f"{time.monotonic() - start:.0f} s")
    print("byte-identical" if differ == 0 else "NOT byte-identical")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
