#!/usr/bin/env bash
# Runs a Windows executable under Wine in a prefix of its own, quietly and without prompts.
# The prefix lives in the build tree (next to the executable's bin/ folder) unless WINEPREFIX
# is set.
set -euo pipefail
exe=$1
shift
if [ -z "${WINEPREFIX:-}" ]; then
    bin_dir=$(cd "$(dirname "$exe")" && pwd)
    export WINEPREFIX="$(dirname "$bin_dir")/wineprefix"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
fi
wine=$(command -v wine64 || command -v wine)
exec "$wine" "$exe" "$@"
