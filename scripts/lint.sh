#!/usr/bin/env bash
# Checks the formatting of every tracked C++ file with clang-format-14 (.clang-format), then runs
# clang-tidy-14 (.clang-tidy) over the translation units of the Unicode library, the library with
# its POSIX backend, and kfs, as build/native compiles them. The Windows backend
# (filesystem/platform/win32) is not analysed: clang has no windows.h on this host; the mingw
# build still compiles it with warnings as errors. Exits non-zero on any finding.
set -uo pipefail
cd "$(dirname "$0")/.."

started=$SECONDS
failed=0

# --- Formatting. A tracked file deleted in the working tree has nothing left to check.
sources=()
while IFS= read -r -d '' file; do
    [ -f "$file" ] && sources+=("$file")
done < <(git ls-files -z '*.cpp' '*.h')
format_log=$(printf '%s\0' "${sources[@]}" | xargs -0 clang-format-14 --dry-run --Werror 2>&1)
format_status=$?
unformatted=$(grep -- '-Wclang-format-violations' <<<"$format_log" | cut -d: -f1 | sort -u | wc -l)
if [ "$format_status" -ne 0 ]; then
    echo "$format_log"
    echo "clang-format: $unformatted of ${#sources[@]} files need formatting" \
        "(clang-format-14 -i FILE rewrites one)"
    failed=1
else
    echo "clang-format: ${#sources[@]} files formatted"
fi

# --- clang-tidy.
if [ ! -f build/native/compile_commands.json ]; then
    cmake --preset native >/dev/null || { echo "clang-tidy: cannot configure build/native"; exit 1; }
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tests and benchmarks compile some library sources a second time, with their own flags; the
# analysis takes each unit once, with the command of the target that ships it.
python3 - "$PWD" "$work" <<'EOF' >"$work/units" || exit 1
import json, os, re, shlex, sys

root, work = sys.argv[1:]
scope = re.compile(re.escape(root) +
                   r'/(unicode/src|filesystem/src|filesystem/platform/posix|tools/kfs)/[^/]+\.cpp$')
units = {}
for entry in json.load(open(os.path.join(root, 'build/native/compile_commands.json'))):
    path = os.path.normpath(os.path.join(entry['directory'], entry['file']))
    words = entry.get('arguments') or shlex.split(entry['command'])
    output = words[words.index('-o') + 1] if '-o' in words else ''
    if scope.match(path) and not output.startswith(('tests/', 'bench/', 'fuzz/')):
        units.setdefault(path, entry)
json.dump(list(units.values()), open(os.path.join(work, 'compile_commands.json'), 'w'))
print('\n'.join(sorted(units)))
EOF
unit_count=$(wc -l <"$work/units")
if [ "$unit_count" -eq 0 ]; then
    echo "clang-tidy: no translation units in scope in build/native/compile_commands.json"
    exit 1
fi

mkdir "$work/logs"
# One log per unit, so that the two workers' reports do not interleave.
xargs -P2 -I{} sh -c '
    log="$1/logs/$(printf %s "$2" | tr / _).log"
    clang-tidy-14 -p "$1" --quiet "$2" >"$log" 2>&1 || touch "$log.failed"
' sh "$work" {} <"$work/units"

failed_units=$(find "$work/logs" -name '*.failed' | wc -l)
for marker in "$work"/logs/*.failed; do
    [ -e "$marker" ] || continue
    grep -v ' generated\.$' "${marker%.failed}"
done
# A finding in a header shows up once for each unit that includes it.
findings=$(cat "$work"/logs/*.log | grep -E ': (warning|error): .*\]$' | sort -u)
finding_count=$(grep -c . <<<"$findings")
if [ "$failed_units" -ne 0 ]; then
    echo "clang-tidy: $finding_count findings in $failed_units of $unit_count units:"
    sed -E 's/.*\[([^]]*)\]$/\1/; s/,-warnings-as-errors$//' <<<"$findings" | sort | uniq -c | sort -rn
    failed=1
else
    echo "clang-tidy: $unit_count units clean"
fi

echo "lint: $((SECONDS - started)) s"
exit "$failed"
