#!/usr/bin/env bash
# The --json forms of stat, ls and cmp: each prints one JSON document that a JSON parser reads
# back to the names, types, permissions, sizes and times on disk. Usage: json.sh KFS [EMULATOR].
set -u

kfs=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
emulator=${2:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# run NAME ARGS...: runs kfs, keeping stdout in $scratch/NAME.json; sets status.
run() {
    local name=$1
    shift
    if [ -n "$emulator" ]; then
        "$emulator" "$kfs" "$@" >"$scratch/$name.json" 2>"$scratch/$name.err"
    else
        "$kfs" "$@" >"$scratch/$name.json" 2>"$scratch/$name.err"
    fi
    status=$?
}
# The path that kfs is given for a scratch path.
if [ -n "$emulator" ]; then
    arg() { printf 'Z:%s' "${1//\//\\}"; }
else
    arg() { printf '%s' "$1"; }
fi

d=$scratch/d
mkdir -p "$d/sub"
printf 'hello\n' >"$d/plain.txt"
printf 'x' >"$d/$(printf '\303\251t\303\251.txt')"
if [ -z "$emulator" ]; then
    # Names only POSIX allows: control characters, and the WTF-8 form of a lone surrogate.
    printf 'x' >"$d/$(printf 'line\nbreak')"
    printf 'x' >"$d/$(printf 'bell\001')"
    printf 'x' >"$d/$(printf 'lone\355\240\200')"
fi
run touch touch "$(arg "$d/plain.txt")" 2021-03-04T05:06:07.1234567Z
run ls ls --json "$(arg "$d")"
ls_status=$status
run stat stat --json "$(arg "$d/plain.txt")" "$(arg "$d/missing")"
stat_status=$status
cp -r "$d" "$scratch/e"
run cmp_same cmp --json "$(arg "$d")" "$(arg "$scratch/e")"
cmp_same_status=$status
run cmp_differ cmp --json "$(arg "$d/plain.txt")" "$(arg "$d/sub")"
cmp_differ_status=$status

python3 - "$scratch" "$(arg "$d")" "${emulator:+emulated}" \
    "$ls_status $stat_status $cmp_same_status $cmp_differ_status" <<'PYTHON' || failures=$((failures + 1))
import json, sys

scratch, directory, emulated, statuses = sys.argv[1:5]
problems = []

def check(condition, what):
    if not condition:
        problems.append(what)

def load(name):
    with open(f"{scratch}/{name}.json", "rb") as f:
        text = f.read()
    try:
        return json.loads(text)
    except ValueError as error:
        problems.append(f"{name}: not one JSON document ({error}): {text[:200]!r}")
        return None

check(statuses == "0 1 0 1", f"exit statuses ls, stat, cmp, cmp: {statuses}, wanted 0 1 0 1")
kfs_dir = directory.replace("/", "\\")

listing = load("ls")
if listing is not None:
    check(listing["directory"] == kfs_dir, f"ls directory {listing['directory']!r}")
    entries = {e["name"]: e for e in listing["entries"]}
    wanted = {"plain.txt", "\u00e9t\u00e9.txt", "sub"}
    if not emulated:
        wanted |= {"line\nbreak", "bell\x01", "lone\ud800"}
    check(set(entries) == wanted, f"ls names {sorted(entries)!r}, wanted {sorted(wanted)!r}")
    for name, entry in entries.items():
        kind = "directory" if name == "sub" else "file"
        check(entry["type"] == kind and entry["link_type"] == kind, f"ls types of {name!r}: {entry}")
        check(entry["permissions"] == ["read", "write"], f"ls permissions of {name!r}: {entry}")

stats = load("stat")
if stats is not None:
    check(len(stats) == 2, f"stat gives {len(stats)} objects, wanted 2")
if stats is not None and len(stats) == 2:
    found, missing = stats
    check(found["path"] == f"{kfs_dir}\\plain.txt", f"stat path {found['path']!r}")
    check(found["type"] == "file" and found["size"] == 6, f"stat of the file: {found}")
    check(found["modified"] == "2021-03-04T05:06:07.1234567Z", f"stat time {found['modified']!r}")
    check(found["permissions"] == ["read", "write"], f"stat permissions {found['permissions']!r}")
    check(found["native"].endswith("\\plain.txt"), f"stat native {found['native']!r}")
    check(missing["type"] == "not found" and missing["size"] is None and
          missing["modified"] is None and missing["canonical"] is None and
          missing["permissions"] is None, f"stat of a missing path: {missing}")

same = load("cmp_same")
if same is not None:
    check(same == {"a": kfs_dir, "b": same["b"], "kind": "directories", "equal": True},
          f"cmp of equal trees: {same}")
differ = load("cmp_differ")
if differ is not None:
    check(differ["kind"] == "file and directory" and differ["equal"] is False,
          f"cmp of a file and a directory: {differ}")

for problem in problems:
    print("FAIL:", problem)
sys.exit(1 if problems else 0)
PYTHON

echo "json: $failures failed"
[ "$failures" -eq 0 ]
