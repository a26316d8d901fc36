#!/bin/sh
# Runs a checker and fails on anything it says, not only on what it calls an
# error: warnings in these files show to every user of the desktop.
#   check_quiet.sh [--stderr] [--ignore REGEX] COMMAND [ARGUMENT]...
# --stderr reads only the command's standard error (man writes the page to
# its output); --ignore drops the lines that only say all is well. Exits 77
# (skipped) when COMMAND is not installed.
stderr_only=false
ignore='^$'
while :; do
    case "$1" in
        --stderr) stderr_only=true; shift ;;
        --ignore) ignore="$2"; shift 2 ;;
        *) break ;;
    esac
done
if ! command -v "$1" > /dev/null 2>&1; then
    echo "$1 is not installed: skipped"
    exit 77
fi
if $stderr_only; then
    said=$("$@" 2>&1 > /dev/null)
else
    said=$("$@" 2>&1)
fi
status=$?
complaints=$(printf '%s\n' "$said" | grep -Ev -e "$ignore" -e '^[[:space:]]*$')
printf '%s\n' "$said"
if [ "$status" -ne 0 ] || [ -n "$complaints" ]; then
    echo "check_quiet: $1 exited with $status or complained"
    exit 1
fi
