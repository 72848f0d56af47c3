#!/usr/bin/env bash
# The tour of the library: every step must give the result it states, and nothing may be left
# behind. Usage: tour.sh KFS [EMULATOR].
set -u

kfs=$1
emulator=${2:-}
output=$(mktemp)
trap 'rm -f "$output"' EXIT

if [ -n "$emulator" ]; then
    "$emulator" "$kfs" tour >"$output" 2>&1
else
    "$kfs" tour >"$output" 2>&1
fi
status=$?
summary=$(tail -n 1 "$output")
failures=0

if [ "$status" != 0 ] || grep -q 'FAILED' "$output"; then
    cat "$output"
    echo "FAIL: the tour exited with status $status"
    failures=$((failures + 1))
fi
if [[ "$summary" != "tour: "*" steps ok, 0 failed, "*" skipped" ]]; then
    echo "FAIL: the tour ends with its summary line, not: $summary"
    failures=$((failures + 1))
fi
# Each step prints the call, its result, why, and its verdict.
steps=$(grep -c '^   -> ' "$output")
verdicts=$(grep -cE '^   (ok|FAILED: .*|skipped: .*)$' "$output")
if [ "$steps" -lt 100 ] || [ "$steps" != "$verdicts" ]; then
    echo "FAIL: $steps results but $verdicts verdicts"
    failures=$((failures + 1))
fi
if [ -z "$emulator" ]; then
    # Natively the scratch directory reads as a POSIX path with '\' separators.
    scratch=$(sed -n 's/^scratch directory: \(.*\) (shown as <tour>)$/\1/p' "$output" | tr '\\' /)
    if [ -z "$scratch" ] || [ -e "$scratch" ]; then
        echo "FAIL: the scratch directory '$scratch' is left behind"
        failures=$((failures + 1))
    fi
fi

echo "$summary"
[ "$failures" -eq 0 ]
