#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang and runs them, one target at a time, each as a
# single process.
#
#   scripts/fuzz.sh [--time SECONDS | --runs N] [--max-len BYTES] [--keep-going]
#                   [--option FLAG]... [TARGET...]
#                                   a campaign (default: 60 seconds per target, every target)
#   scripts/fuzz.sh --smoke         every target for 2 seconds
#   scripts/fuzz.sh --list          the targets
#
# --max-len caps the size of the inputs libFuzzer makes (4096 bytes unless given). --option passes
# a flag to libFuzzer as it is: -entropic=0, for one, keeps a long campaign with a large corpus
# from spending most of its time on the entropic scheduler's bookkeeping.
# A campaign stops at a target's first failure, unless --keep-going: then libFuzzer runs the
# target in a child process (one at a time), saves every failing input and goes on.
#
# A campaign starts from the target's seeds (fuzz/corpus/TARGET) and from what earlier campaigns
# kept (build/fuzz/corpus/TARGET, where new inputs go); the smoke run starts from the seeds alone
# and keeps nothing. A failing input is written to build/fuzz/artifacts/, the whole output to
# build/fuzz/logs/TARGET.log (smoke-TARGET.log for the smoke run). Prints one line per target
# (executions, seconds, coverage) and exits non-zero when a target failed. A failing input runs
# again with build/fuzz/bin/TARGET FILE.
set -uo pipefail
cd "$(dirname "$0")/.."

build=build/fuzz
limit=(-max_total_time=60)
smoke=false
keep_going=()
max_len=()
options=()
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
    --time) limit=(-max_total_time="$2"); shift 2 ;;
    --runs) limit=(-runs="$2"); shift 2 ;;
    --max-len) max_len=(-max_len="$2"); shift 2 ;;
    --smoke) smoke=true; limit=(-max_total_time=2 -seed=1); shift ;;
    --option) options+=("$2"); shift 2 ;;
    --keep-going) keep_going=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1); shift ;;
    --list) ls fuzz/corpus; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
    esac
done
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <(ls fuzz/corpus)

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null &&
    cmake --build "$build" -j2 -- "${targets[@]}" >/dev/null || {
    echo "building the fuzz targets failed" >&2
    exit 1
}
mkdir -p "$build/artifacts" "$build/logs"

failed=0
for target in "${targets[@]}"; do
    if $smoke; then
        corpus=$(mktemp -d)
        log=$build/logs/smoke-$target.log
    else
        corpus=$build/corpus/$target
        mkdir -p "$corpus"
        log=$build/logs/$target.log
    fi
    start=$(date +%s%N)
    "$build/bin/$target" "${limit[@]}" "${max_len[@]}" "${keep_going[@]}" "${options[@]}" -timeout=25 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1
    status=$?
    tenths=$((($(date +%s%N) - start) / 100000000))
    seconds=$((tenths / 10)).$((tenths % 10))
    $smoke && rm -rf "$corpus"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    coverage=$(grep -ao 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
    if [ ${#keep_going[@]} -gt 0 ]; then
        # The parent's last status line: "#RUNS: cov: ... oom/timeout/crash: O/T/C ...".
        last=$(grep -a '^#[0-9]*: cov:' "$log" | tail -1)
        runs=$(echo "$last" | sed 's/^#\([0-9]*\):.*/\1/')
        failures=$(echo "$last" | sed -n 's/.*oom\/timeout\/crash: \([0-9/]*\).*/\1/p')
        coverage="$coverage  oom/timeout/crash: ${failures:-?}"
        [ "${failures:-0/0/0}" = 0/0/0 ] || status=1
    fi
    if [ $status -eq 0 ]; then
        printf '%-20s %10s runs %7s s  %s\n' "$target" "${runs:-?}" "$seconds" "$coverage"
    else
        failed=$((failed + 1))
        printf '%-20s FAILED after %s s, see %s\n' "$target" "$seconds" "$log"
        grep -a -m3 -E 'property broken|ERROR:|runtime error|Test unit written' "$log" | sed 's/^/    /'
    fi
done
[ "$failed" -eq 0 ]
