#!/usr/bin/env bash
# The tour of the library: it ends with its summary line and status 0 when every call did what
# the tour says, and it leaves nothing behind. Usage: tour.sh KFS [EMULATOR].
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

if [ "$status" != 0 ] || grep -q '^      !! ' "$output"; then
    cat "$output"
    echo "FAIL: the tour exited with status $status"
    failures=$((failures + 1))
fi
if ! [[ "$summary" =~ ^tour:\ ([0-9]+)\ calls,\ 0\ not\ as\ described,\ [0-9]+\ skipped$ ]] ||
    [ "${BASH_REMATCH[1]}" -lt 40 ]; then
    echo "FAIL: the tour ends with its summary line, not: $summary"
    failures=$((failures + 1))
fi
# Each call is followed by what it returned.
calls=$(grep -c '^      -> ' "$output")
if [[ "$summary" != "tour: $calls calls,"* ]]; then
    echo "FAIL: $calls results printed, but the summary says: $summary"
    failures=$((failures + 1))
fi
if [ -z "$emulator" ]; then
    # Natively the scratch directory reads as a POSIX path with '\' separators.
    scratch=$(sed -n 's/^Working in \(.*\), shown as <tour>\.$/\1/p' "$output" | tr '\\' /)
    if [ -z "$scratch" ] || [ -e "$scratch" ]; then
        echo "FAIL: the scratch directory '$scratch' is left behind"
        failures=$((failures + 1))
    fi
fi

echo "$summary"
[ "$failures" -eq 0 ]
