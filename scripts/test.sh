#!/usr/bin/env bash
# Builds and runs every test suite: native, native under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows DLL under Wine; then builds and runs the example
# consumer against each installed tree, and gives every fuzz target a short run. Exits non-zero
# if anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test || exit 1

passed=0
failed=0
failures=()
step() { # step NAME COMMAND...: runs one step and counts it
    local name=$1
    shift
    echo "=== $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failures+=("$name")
    fi
}

consumer() { # consumer PRESET: installs PRESET's build and builds and runs examples/consumer
    local preset=$1 prefix="$PWD/build/install-$1" build="$PWD/build/consumer-$1"
    local toolchain=() run=()
    if [ "$preset" = mingw ]; then
        toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake")
        run=("$PWD/cmake/wine-run.sh")
    fi
    rm -rf "$prefix" "$build"
    cmake --install "build/$preset" --prefix "$prefix" >/dev/null &&
        cmake -S examples/consumer -B "$build" -G Ninja "${toolchain[@]}" \
            -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null &&
        cmake --build "$build" >/dev/null &&
        if [ "$preset" = mingw ]; then
            # The installed DLLs sit in bin/; the consumer runs from there.
            cp "$build"/consumer.exe "$prefix/bin/" &&
                WINEPREFIX="$PWD/build/mingw/wineprefix" "${run[@]}" "$prefix/bin/consumer.exe"
        else
            LD_LIBRARY_PATH="$prefix/lib" "$build/consumer"
        fi
}

for preset in native asan mingw; do
    if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; then
        step "tests ($preset)" ctest --preset "$preset"
        if [ "$preset" != asan ]; then
            step "installed consumer ($preset)" consumer "$preset"
        fi
    else
        failed=$((failed + 1))
        failures+=("build ($preset)")
    fi
done

step "fuzz smoke run" scripts/fuzz.sh --smoke

[ ${#failures[@]} -eq 0 ] || printf 'failed: %s\n' "${failures[@]}"
echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
