#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a bounded time, one after the
# other, each on a working copy of its committed seed corpus. Prints one line per
# target (seconds, executions, crashes) and fails if any target crashed.
# Usage: scripts/run-fuzz.sh BUILD_DIR SECONDS [TARGET...]
set -uo pipefail
build=${1:?build directory}
seconds=${2:?seconds per target}
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$build"/fuzz/fuzz_*; do
        [ -x "$f" ] && targets+=("$(basename "$f" | sed 's/^fuzz_//')")
    done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $build/fuzz" >&2; exit 1; }

mkdir -p "$build/fuzz-logs" "$build/fuzz-artifacts"
failed=0
for t in "${targets[@]}"; do
    work="$build/fuzz-corpus/$t"
    mkdir -p "$work"
    [ -d "$root/fuzz/corpus/$t" ] && cp -n "$root/fuzz/corpus/$t"/* "$work"/ 2>/dev/null
    log="$build/fuzz-logs/$t.log"
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" "$work" >"$log" 2>&1
    rc=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
    took=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | grep -o 'in [0-9]*' | grep -o '[0-9]*' | tail -1)
    if [ $rc -eq 0 ]; then
        echo "fuzz $t: ${took:-?} s, ${runs:-?} executions, 0 crashes"
    else
        failed=1
        echo "fuzz $t: FAILED after ${runs:-?} executions (status $rc); see $log"
        grep -E '^(broken:|==[0-9]+==ERROR|SUMMARY)' "$log" | head -5
        ls "$build/fuzz-artifacts/$t-"* 2>/dev/null | head -3
    fi
done
exit $failed
