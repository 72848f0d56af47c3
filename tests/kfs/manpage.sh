#!/usr/bin/env bash
# The manual page kfs.1 describes every command that 'kfs help' lists, with the usage that
# 'kfs help COMMAND' gives, and renders without warnings. Usage: manpage.sh KFS [EMULATOR].
# Under an emulator every launch costs seconds, so only the list of commands is compared there.
set -u

kfs=$1
emulator=${2:-}
page=$(dirname "$0")/../../tools/kfs/kfs.1
failures=0
run() { ${emulator:+"$emulator"} "$kfs" "$@"; }

# The usages on the page: the bold lines that follow .TP, with roff's escaped hyphens undone.
documented=$(awk 'previous == ".TP" && /^\.B kfs / { sub(/^\.B /, ""); print } { previous = $0 }' \
    "$page" | sed 's/\\-/-/g')
commands=$(run help | awk '/^  [a-z]+ /{ print $1 }')
if [ -z "$commands" ]; then
    echo "FAIL: kfs help lists no command"
    failures=$((failures + 1))
fi
if [ "$(awk '{ print $2 }' <<<"$documented" | sort)" != "$(sort <<<"$commands")" ]; then
    echo "FAIL: the page and 'kfs help' list different commands:"
    diff <(awk '{ print $2 }' <<<"$documented" | sort) <(sort <<<"$commands")
    failures=$((failures + 1))
fi
if [ -z "$emulator" ]; then
    for command in $commands; do
        usage=$(run help "$command" | sed -n '1s/^usage: //p')
        if ! grep -qxF "$usage" <<<"$documented"; then
            echo "FAIL: the page does not show the usage '$usage'"
            failures=$((failures + 1))
        fi
    done
fi
if command -v man >/dev/null; then
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "FAIL: man reports: $warnings"
        failures=$((failures + 1))
    fi
fi

echo "manpage: $(wc -w <<<"$commands") commands, $failures failed"
[ "$failures" -eq 0 ]
