#!/usr/bin/env bash
# Builds and runs every test suite: native, native under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows DLL under Wine. Checks the formatting and runs
# clang-tidy (scripts/lint.sh). Builds the API reference, and the packages of both targets (Debian
# packages, checked with lintian; a Windows .zip); unpacks each into a staging directory and builds
# and runs the example consumer against it. Gives every fuzz target a short run. Exits non-zero if
# anything fails.
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

# consumer PRESET PREFIX: builds examples/consumer against the tree in PREFIX and runs it.
consumer() {
    local preset=$1 prefix=$2 build="$PWD/build/consumer-$1"
    local toolchain=()
    [ "$preset" = mingw ] && toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake")
    rm -rf "$build"
    cmake -S examples/consumer -B "$build" -G Ninja "${toolchain[@]}" \
        -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null &&
        cmake --build "$build" >/dev/null || return 1
    if [ "$preset" = mingw ]; then
        # The DLLs sit in bin/; the consumer runs from there.
        cp "$build/consumer.exe" "$prefix/bin/" &&
            WINEPREFIX="$PWD/build/mingw/wineprefix" cmake/wine-run.sh "$prefix/bin/consumer.exe"
    else
        LD_LIBRARY_PATH="$prefix/lib" "$build/consumer"
    fi
}

# packages PRESET: makes PRESET's packages, unpacks them into a staging directory and builds and
# runs the consumer against what they hold.
packages() {
    local preset=$1 out="$PWD/build/$1/packages" stage="$PWD/build/staging-$1"
    rm -rf "$out" "$stage"
    cmake --build "build/$preset" --target package >/dev/null || return 1
    mkdir -p "$stage"
    if [ "$preset" = mingw ]; then
        unzip -q "$out"/koril-filesystem-*-win64.zip -d "$stage" || return 1
        local root=("$stage"/koril-filesystem-*-win64)
        for file in bin/kfs.exe bin/libkoril_filesystem.dll bin/libstdc++-6.dll \
            lib/libkoril_filesystem.dll.a lib/cmake/KorilFilesystem/KorilFilesystemConfig.cmake \
            include/koril/filesystem.h; do
            [ -e "${root[0]}/$file" ] || { echo "the zip lacks $file"; return 1; }
        done
        consumer mingw "${root[0]}"
        return
    fi
    for deb in "$out"/*.deb; do
        dpkg-deb --field "$deb" Package Depends
        dpkg -x "$deb" "$stage" || return 1
    done
    for file in bin/kfs share/man/man1/kfs.1.gz lib/libkoril_filesystem.so.0.1 \
        lib/libkoril_filesystem.so lib/pkgconfig/koril-filesystem.pc include/koril/filesystem.h; do
        [ -e "$stage/usr/$file" ] || { echo "the packages lack /usr/$file"; return 1; }
    done
    MANWIDTH=80 man -l "$stage/usr/share/man/man1/kfs.1.gz" >/dev/null &&
        LD_LIBRARY_PATH="$stage/usr/lib" "$stage/usr/bin/kfs" help >/dev/null &&
        consumer native "$stage/usr" || return 1
    # The pkg-config file is found beside the libraries, wherever the tree was unpacked.
    g++ -o "build/consumer-native/consumer-pkg-config" examples/consumer/main.cpp \
        $(PKG_CONFIG_PATH="$stage/usr/lib/pkgconfig" pkg-config --cflags --libs koril-filesystem) &&
        LD_LIBRARY_PATH="$stage/usr/lib" build/consumer-native/consumer-pkg-config >/dev/null
}

# Lintian's errors fail the step; its warnings are shown.
lint() {
    lintian --fail-on error --no-tag-display-limit build/native/packages/*.deb
}

for preset in native asan mingw; do
    if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; then
        step "tests ($preset)" ctest --preset "$preset"
        if [ "$preset" = native ]; then
            step "lint" scripts/lint.sh
            step "API reference" cmake --build --preset native --target docs
        fi
        if [ "$preset" != asan ]; then
            step "packages ($preset)" packages "$preset"
        fi
        if [ "$preset" = native ]; then
            step "lintian" lint
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
