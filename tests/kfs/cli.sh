#!/usr/bin/env bash
# The kfs command line: usage errors, the text commands, and the disk commands in a scratch
# directory. Usage: cli.sh KFS [EMULATOR]. Under an emulator (Wine) every launch costs seconds,
# so only a small set runs there: wide non-ASCII arguments, a usage error and one disk round trip.
set -u

kfs=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
emulator=${2:-}
failures=0
checks=0

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT

# kfs ARGS...: runs kfs; sets out, err and status.
kfs() {
    if [ -n "$emulator" ]; then
        "$emulator" "$kfs" "$@" >"$scratch/.out" 2>"$scratch/.err"
    else
        "$kfs" "$@" >"$scratch/.out" 2>"$scratch/.err"
    fi
    status=$?
    out=$(cat "$scratch/.out")
    err=$(cat "$scratch/.err")
}

fail() {
    failures=$((failures + 1))
    printf 'FAIL: %s\n' "$1"
    printf '  stdout: %s\n' "$out" | head -20
    printf '  stderr: %s\n' "$err"
}

# expect STATUS EXPECTED_STDOUT ARGS...: status, the whole of stdout, and nothing on stderr.
expect() {
    local want_status=$1 want_out=$2
    shift 2
    checks=$((checks + 1))
    kfs "$@"
    if [ "$status" != "$want_status" ] || [ "$out" != "$want_out" ] || [ -n "$err" ]; then
        fail "kfs $* (status $status, wanted $want_status; stdout wanted: $want_out)"
    fi
}

# expect_error STATUS ARGS...: that status, nothing on stdout, one line "kfs: ..." on stderr.
expect_error() {
    local want_status=$1
    shift
    checks=$((checks + 1))
    kfs "$@"
    if [ "$status" != "$want_status" ] || [ -n "$out" ] || [ "$(printf '%s\n' "$err" | wc -l)" != 1 ] ||
        [[ "$err" != "kfs: "* ]]; then
        fail "kfs $* should fail with status $want_status and one error line (status $status)"
    fi
}

# verify DESCRIPTION COMMAND...: a check of the disk made with the shell's own tools.
verify() {
    local description=$1
    shift
    checks=$((checks + 1))
    if ! "$@"; then
        out="" err=""
        fail "$description"
    fi
}

# The path that kfs is given for a scratch path, and the text it prints for it.
if [ -n "$emulator" ]; then
    arg() { printf 'Z:%s' "${1//\//\\}"; }
else
    arg() { printf '%s' "$1"; }
fi
shown() { arg "$1" | tr / '\\'; }

# --- Under an emulator: the reduced set --------------------------------------------------------

if [ -n "$emulator" ]; then
    kfs path 'C:/dir/été.txt'
    checks=$((checks + 1))
    if [ "$status" != 0 ] || ! grep -qx 'file name: été.txt' <<<"$out" ||
        ! grep -qx 'text: C:\\dir\\été.txt' <<<"$out"; then
        fail "non-ASCII arguments arrive intact through the wide command line"
    fi
    expect_error 2 elide 12x 'C:\a\b'

    mkdir -p "$scratch/a/sub"
    printf 'one\n' >"$scratch/a/one.txt"
    printf 'two\n' >"$scratch/a/sub/two.txt"
    expect 0 "" touch "$(arg "$scratch/a/été.txt")" 2020-01-15T12:00:00.1234567Z
    kfs stat "$(arg "$scratch/a/été.txt")"
    checks=$((checks + 1))
    if [ "$status" != 0 ] || ! grep -qx 'modified: 2020-01-15T12:00:00.1234567Z' <<<"$out" ||
        ! grep -qx 'type: file' <<<"$out"; then
        fail "touch creates the file and stat reads its time back to the tick"
    fi
    expect 0 "" cp -r "$(arg "$scratch/a")" "$(arg "$scratch/b")"
    expect 0 "equal" cmp "$(arg "$scratch/a")" "$(arg "$scratch/b")"
    verify "the copy holds the non-ASCII file" test -f "$scratch/b/été.txt"
    expect_error 1 rm "$(arg "$scratch/b")"
    verify "rm without -r keeps a non-empty directory" test -f "$scratch/b/sub/two.txt"

    echo "cli (emulated): $checks checks, $failures failed"
    [ "$failures" -eq 0 ]
    exit
fi

# --- Usage errors: exit status 2, one line naming the problem ----------------------------------

mkdir -p "$scratch/pat"
touch "$scratch/pat/x"
expect_error 2
expect_error 2 bogus
expect_error 2 help bogus
expect_error 2 mkdir
expect_error 2 mkdir -x "$scratch/m"
expect_error 2 mkdir "$scratch/m1" "$scratch/m2"
expect_error 2 compare a
expect_error 2 elide 12x a
expect_error 2 elide '' a
expect_error 2 elide -- -1 a
expect_error 2 elide 99999999999999999999999 a
expect_error 2 glob '(log' a
expect_error 2 glob '*.txt'
expect_error 2 each "$scratch/pat" '[x'
expect_error 2 rmglob "$scratch/pat" '(x'
expect_error 2 touch "$scratch/t" yesterday
expect_error 2 touch "$scratch/t" 2020-02-30T00:00:00Z
expect_error 2 touch "$scratch/t" 2020-01-15T12:00:00.12345678Z
expect_error 2 touch "$scratch/t" 2020-01-15T12:00:00
expect_error 2 chmod rx "$scratch/pat/x"
expect_error 2 tmp ''
expect_error 2 tmp 'a*'
expect_error 2 tmp kfs 1h
expect_error 2 cmp "$scratch/missing1" "$scratch/missing2"
expect_error 2 pwd extra
verify "a usage error neither creates nor removes anything" test ! -e "$scratch/t" -a ! -e "$scratch/m" -a -e "$scratch/pat/x"

# --- Text commands -----------------------------------------------------------------------------

expect 0 'text: C:\dir\file.txt
root name: C:
root directory: \
root path: C:\
relative path: dir\file.txt
parent path: C:\dir
file name: file.txt
stem: file
extension: .txt
absolute: yes
relative: no
complete: yes
element: C:
element: \
element: dir
element: file.txt' path 'C:/dir/file.txt'

kfs path 'a\b\' '\dir'
checks=$((checks + 1))
if [ "$status" != 0 ] || [ "$(grep -c '^text: ' <<<"$out")" != 2 ] || [ "$(grep -c '^$' <<<"$out")" != 1 ] ||
    [ "$(grep '^element: ' <<<"$out" | tr '\n' ' ')" != 'element: a element: b element: . element: \ element: dir ' ]; then
    fail "two paths: two blocks, one blank line between them, a final '.' element"
fi

while read -r a b want; do
    expect 0 "$want" compare "$a" "$b"
done <<'EOF'
C:\Dir\File c:\dir\file equal
café café equal
ab abc less
abc ab greater
a\b a.b greater
B a greater
EOF

expect 0 'notes.txt: match
NOTES.TXT: no match
notes_txt: match
txt: no match' glob '*.txt' notes.txt NOTES.TXT notes_txt txt
expect 0 'data1.bin: match
data.bin: no match' glob 'data?.bin' data1.bin data.bin
expect 0 'C_\My Files\report (2).txt
_ber
-x' sanitize 'C:\My Files\report (2).txt' über -- -x

while read -r max path want; do
    expect 0 "$want" elide "$max" "$path"
done <<'EOF'
51 C:\Users\guest\Documents\Projects\2024\report.docx C:\Users\guest\Documents\Projects\2024\report.docx
40 C:\Users\guest\Documents\Projects\2024\report.docx C:\Users\...\Projects\2024\report.docx
10 C:\Users\guest\Documents\Projects\2024\report.docx C:\...\report.docx
14 C:\aa\bb\cc\dd\ee C:\...\dd\ee
EOF
expect 0 'C:\aa\~\dd\ee' elide 14 'C:\aa\bb\cc\dd\ee' '~'

expect 0 'C:\base\dir\file' complete 'dir\file' 'C:\base'
expect 0 'C:\dir\file' complete '\dir\file' 'C:\base'
expect 0 'D:dir' complete 'D:dir' 'C:\base'

kfs help
checks=$((checks + 1))
for command in path compare glob sanitize elide complete stat ls mkdir rm cp mv ln touch chmod pwd \
    lock locked each rmglob tmp cmp short fixcase tour help; do
    grep -q "^  $command " <<<"$out" || fail "help lists $command"
done
expect 0 'usage: kfs mkdir [-p] P

Creates one directory whose parent exists; with -p also every missing parent.' help mkdir

# --- Creating, copying, comparing, moving, removing --------------------------------------------

d=$scratch/d
mkdir "$d"
expect 0 "" mkdir "$d/a"
expect_error 1 mkdir "$d/x/y"
verify "a failed mkdir makes no parent" test ! -e "$d/x"
expect 0 "" mkdir -p "$d/x/y"
verify "mkdir -p makes every level" test -d "$d/x/y"

printf 'hello\n' >"$d/a/g.txt"
mkdir "$d/a/sub"
printf 'deep\n' >"$d/a/sub/deep.txt"
expect 0 "" touch "$d/a/f.txt" 2020-01-15T12:00:00.1234567Z
expect 0 "path: $(shown "$d/a/f.txt")
type: file
link type: file
permissions: 0600
size: 0
modified: 2020-01-15T12:00:00.1234567Z
canonical: $(shown "$d/a/f.txt")
native: $(shown "$d/a/f.txt")" stat "$d/a/f.txt"
expect 0 "" touch "$d/a/g.txt" 2021-07-01T10:30:00.5+02:00
kfs stat "$d/a/g.txt"
checks=$((checks + 1))
grep -qx 'modified: 2021-07-01T08:30:00.5000000Z' <<<"$out" || fail "an offset is applied to the time"
grep -qx 'size: 6' <<<"$out" || fail "touch keeps the contents of an existing file"
expect 0 "" touch "$d/a/now.txt"
verify "touch without a time creates the file" test -f "$d/a/now.txt"
verify "touch without a time sets about now" test -n "$(find "$d/a/now.txt" -mmin -5)"
rm "$d/a/now.txt"
# ISO 8601 times: what touch accepts, and the UTC time stat reads back to the tick.
while read -r given want; do
    expect 0 "" touch "$d/a/f.txt" "$given"
    kfs stat "$d/a/f.txt"
    checks=$((checks + 1))
    grep -qx "modified: $want" <<<"$out" || fail "touch $given reads back as $want"
done <<'EOF'
2020-01-15T12:00:00Z 2020-01-15T12:00:00.0000000Z
2020-01-15T12:00Z 2020-01-15T12:00:00.0000000Z
2020-01-15 2020-01-15T00:00:00.0000000Z
2020-02-29T23:59:59.9999999Z 2020-02-29T23:59:59.9999999Z
2020-01-15T12:00:00.5-01:30 2020-01-15T13:30:00.5000000Z
2020-01-15t12:00:00.01z 2020-01-15T12:00:00.0100000Z
2038-01-19T03:14:08.0000001Z 2038-01-19T03:14:08.0000001Z
EOF
for bad in 2021-02-29T00:00:00Z 2020-13-01 2020-01-15T24:00:00Z 2020-01-15T12:60Z \
    2020-01-15T12:00:00.Z 2020-1-15 2020-01-15T12:00:00+0100 2020-01-15Tx ''; do
    expect_error 2 touch "$d/a/f.txt" "$bad"
done
expect_error 1 touch "$d/a/f.txt" 1969-12-31T23:59:59Z
expect 0 "" touch "$d/a/f.txt" 2020-01-15T12:00:00.1234567Z

kfs stat "$d/missing"
checks=$((checks + 1))
[ "$status" = 1 ] && grep -qx 'type: not found' <<<"$out" && [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] ||
    fail "stat of a missing path shows it as not found, with one error line and status 1"

kfs ls "$d/a"
checks=$((checks + 1))
[ "$status" = 0 ] && [ "$(sort <<<"$out")" = 'directory 0600 sub
file      0600 f.txt
file      0600 g.txt' ] || fail "ls shows each entry with type and permissions"
expect_error 1 ls "$d/missing"
expect_error 1 ls "$d/a/f.txt"

expect 0 "" cp -r "$d/a" "$d/b"
verify "cp -r copies the whole tree" cmp -s "$d/a/sub/deep.txt" "$d/b/sub/deep.txt"
expect 0 "equal" cmp "$d/a" "$d/b"
expect 0 "equal" cmp "$d/a/g.txt" "$d/b/g.txt"
printf 'changed\n' >"$d/b/sub/deep.txt"
expect 1 "different" cmp "$d/a" "$d/b"
expect 1 "different" cmp "$d/a/sub/deep.txt" "$d/b/sub/deep.txt"
expect 1 "different" cmp "$d/a" "$d/a/g.txt"
expect_error 1 cp "$d/a/g.txt" "$d/b/sub/deep.txt"
verify "cp never overwrites" grep -qx changed "$d/b/sub/deep.txt"
expect_error 1 cp -r "$d/a" "$d/b"
expect 0 "" cp "$d/a" "$d/flat"
verify "cp of a directory without -r copies its files" test -f "$d/flat/g.txt"
verify "cp of a directory without -r leaves subdirectories empty" test -d "$d/flat/sub" -a ! -e "$d/flat/sub/deep.txt"

# On a terminal the tree commands show progress on stderr; it must not change what they do.
if command -v script >/dev/null; then
    script -qec "'$kfs' cp -r '$d/a' '$d/e'" /dev/null >"$scratch/progress" 2>&1
    checks=$((checks + 1))
    grep -q 'cp: copied 4 of 4 entries' "$scratch/progress" && diff -r "$d/a" "$d/e" >/dev/null ||
        fail "cp -r on a terminal reports progress and copies the same tree"
    script -qec "'$kfs' rm -r '$d/e'" /dev/null >"$scratch/progress" 2>&1
    checks=$((checks + 1))
    grep -q 'rm: removed 4 of 4 entries' "$scratch/progress" && [ ! -e "$d/e" ] ||
        fail "rm -r on a terminal reports progress and removes the tree"
fi

expect 0 "" mv "$d/b" "$d/c"
verify "mv renames" test ! -e "$d/b" -a -f "$d/c/sub/deep.txt"
expect_error 1 mv "$d/c" "$d/a"
verify "mv never replaces" test -f "$d/c/sub/deep.txt" -a -f "$d/a/sub/deep.txt"

expect 0 "" chmod ro "$d/c/g.txt"
kfs stat "$d/c/g.txt"
checks=$((checks + 1))
grep -qx 'permissions: 0400' <<<"$out" || fail "chmod ro shows as 0400"
expect_error 1 rm "$d/c/g.txt"
verify "a read-only file is refused" test -f "$d/c/g.txt"
expect 0 "" chmod rw "$d/c/g.txt"
expect 0 "" rm "$d/c/g.txt"
expect_error 1 rm "$d/c"
verify "rm without -r keeps a non-empty directory" test -f "$d/c/sub/deep.txt"
expect 0 "" rm -r "$d/c"
verify "rm -r removes the tree" test ! -e "$d/c"
expect_error 1 rm "$d/missing"
expect_error 1 rm -r "$d/missing"

# --- Messages: long arguments, and the entries a tree operation failed on ----------------------

long=$(printf 'x%.0s' $(seq 40000))
kfs stat "$d/$long"
checks=$((checks + 1))
[ "$status" = 1 ] && [ "$(wc -c <<<"$err")" -lt 200 ] && [[ "$err" == *"…"*"xxx': not found" ]] ||
    fail "an error quotes a 40,000-character argument by its two ends ($(wc -c <<<"$err") bytes)"

mkdir -p "$d/tree/keep" "$d/tree/go"
for name in one two three four five six; do printf x >"$d/tree/keep/$name"; done
printf x >"$d/tree/go/file"
for name in one two three four five six; do chmod a-w "$d/tree/keep/$name"; done
kfs rm -r "$d/tree"
checks=$((checks + 1))
[ "$status" = 1 ] && [ -z "$out" ] &&
    [ "$(head -n 1 <<<"$err")" = "kfs: rm: cannot remove '$(shown "$d/tree")': 6 entries could not be removed:" ] &&
    [ "$(grep -cF "kfs:   '$(shown "$d/tree/keep")" <<<"$err")" = 5 ] &&
    [ "$(tail -n 1 <<<"$err")" = "kfs:   and 1 more" ] ||
    fail "rm -r names the first five read-only files and counts the rest"
verify "rm -r removes what it can" test ! -e "$d/tree/go" -a -f "$d/tree/keep/six"
chmod -R u+w "$d/tree"
rm -rf "$d/tree"

mkdir -p "$d/src/sub"
printf 'readable\n' >"$d/src/ok.txt"
printf 'secret\n' >"$d/src/sub/secret.txt"
chmod a-r "$d/src/sub/secret.txt"
if [ "$(id -u)" != 0 ]; then
    # Reading is refused to everyone but the superuser.
    kfs cp -r "$d/src" "$d/dst"
    checks=$((checks + 1))
    [ "$status" = 1 ] && [ "$(sed -n 2p <<<"$err")" = "kfs:   '$(shown "$d/src/sub/secret.txt")'" ] &&
        [[ "$(head -n 1 <<<"$err")" == *": 1 entry not copied:" ]] ||
        fail "cp -r names the file it could not read"
    verify "cp -r copies the rest" test -f "$d/dst/ok.txt"
fi
kfs cp -r "$d/src" "$d/src"
checks=$((checks + 1))
[ "$status" = 1 ] && [[ "$err" == *"'$(shown "$d/src")' exists" ]] ||
    fail "cp names a destination that exists"
chmod -R u+rw "$d/src"
rm -rf "$d/src" "$d/dst"

# --- Names, traversal, pattern removal ---------------------------------------------------------

expect 0 "$(shown "$d/a")\\VERYLO~1.HTM" short "$d/a/verylongfilename.html"
touch "$d/a/VERYLO~1.HTM"
expect 0 "$(shown "$d/a")\\VERYLO~2.HTM" short "$d/a/verylongfilename.html"
printf x >"$d/a/ReadMe.TXT"
expect 0 "$(shown "$d/a")\\ReadMe.TXT" fixcase "$d/a/README.txt"
expect 0 "$(shown "$d/a")\\ReadMe.TXT" fixcase --from-root "$d/a/readme.TXT"
expect_error 1 fixcase "$d/a/nothing.txt"

kfs each "$d/a"
checks=$((checks + 1))
[ "$(sort <<<"$out")" = "$(for n in ReadMe.TXT VERYLO~1.HTM f.txt g.txt sub; do shown "$d/a/$n"; echo; done | sort)" ] ||
    fail "each lists every child with its path"
expect 0 "$(shown "$d/a/sub")" each "$d/a" 's*'
expect 0 "" each "$d/x/y"
expect_error 1 each "$d/missing"

expect 0 "" rmglob "$d/a" '*.txt'
verify "rmglob removes the matching files only" test ! -e "$d/a/f.txt" -a ! -e "$d/a/g.txt" -a -e "$d/a/ReadMe.TXT"
kfs rmglob "$d/a" 'sub'
checks=$((checks + 1))
[ "$status" = 1 ] && [ -z "$out" ] && [ "$(sed -n 2p <<<"$err")" = "kfs:   '$(shown "$d/a/sub")'" ] ||
    fail "rmglob without -r names the non-empty directory it cannot remove"
verify "rmglob without -r keeps a non-empty directory" test -f "$d/a/sub/deep.txt"
expect 0 "" rmglob -r "$d/a" 's*'
verify "rmglob -r removes the matching tree" test ! -e "$d/a/sub"
expect 0 "" rmglob "$d/x/y" '*'

# --- Links, locks, the current directory, temporary directories ---------------------------------

expect 0 "" ln "$d/a" "$d/link"
verify "ln makes a symbolic link" test -L "$d/link"
kfs stat "$d/link"
checks=$((checks + 1))
grep -qx 'link type: symlink' <<<"$out" && grep -qx 'type: directory' <<<"$out" ||
    fail "stat shows the link and what it names"
expect_error 1 ln "$d/a" "$d/link"
[[ "$err" == *"createSymbolicLink: GetLastError() = "[0-9]* ]] || fail "ln passes the library's message on"

printf 'locked data\n' >"$d/lockme"
mkfifo "$scratch/hold"
"$kfs" lock "$d/lockme" <"$scratch/hold" >"$scratch/lock.out" &
locker=$!
exec 3>"$scratch/hold"
for _ in $(seq 50); do
    [ -s "$scratch/lock.out" ] && break
    sleep 0.1
done
checks=$((checks + 1))
[ "$(cat "$scratch/lock.out")" = "locked $(shown "$d/lockme")" ] || fail "lock prints 'locked P' once it holds the lock"
expect 0 "$(shown "$d/lockme"): locked
$(shown "$d/missing"): not locked" locked "$d/lockme" "$d/missing"
echo >&3
exec 3>&-
wait "$locker"
lock_status=$?
checks=$((checks + 1))
[ "$lock_status" = 0 ] || fail "lock ends with status 0 after a line of input"
expect 0 "$(shown "$d/lockme"): not locked" locked "$d/lockme"
expect_error 1 lock "$d/missing"
verify "lock never creates the file" test ! -e "$d/missing"
expect 0 "locked $(shown "$d/lockme")" lock "$d/lockme" </dev/null

(cd "$d/a" && "$kfs" pwd >"$scratch/pwd.out")
checks=$((checks + 1))
[ "$(cat "$scratch/pwd.out")" = "$(shown "$(cd "$d/a" && pwd -P)")" ] || fail "pwd prints the current directory"

mkdir "$scratch/tmp"
export TMPDIR=$scratch/tmp
kfs tmp kfstest
first=$out
checks=$((checks + 1))
[[ "$first" == "$(shown "$scratch/tmp")"*kfstest[0-9]* ]] && [ "$(ls "$scratch/tmp")" = "${first##*\\}" ] ||
    fail "tmp makes one directory PREFIX<digits> in the temporary directory and keeps it"
mkdir "$scratch/tmp/other"
sleep 0.1
kfs tmp kfstest 0
checks=$((checks + 1))
[ "$status" = 0 ] && [ "$out" != "$first" ] && [ ! -e "$scratch/tmp/${first##*\\}" ] &&
    [ -d "$scratch/tmp/${out##*\\}" ] && [ -d "$scratch/tmp/other" ] ||
    fail "tmp with a maximum age sweeps older PREFIX entries only, then makes a new one"
unset TMPDIR

echo "cli: $checks checks, $failures failed"
[ "$failures" -eq 0 ]
