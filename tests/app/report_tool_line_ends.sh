#!/usr/bin/env bash
# tessaly-report --csv and --ical written to a file end each line with one
# CR LF: on Windows, standard output's text mode would add a CR to each.
#   report_tool_line_ends.sh TOOL [EMULATOR...]
set -euo pipefail
tool=$1
shift
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-line-ends.XXXXXX")
trap 'rm -rf "$work"' EXIT
export LC_ALL=C

status=0
for kind in csv ical; do
    out="$work/list.$kind"
    "$@" "$tool" --demo --date 2027-02-10 "--$kind" > "$out"
    lines=$(grep -c '' "$out" || true)
    bare=$(grep -c -v $'\r$' "$out" || true)
    doubled=$(grep -c $'\r\r' "$out" || true)
    if ((lines < 10)) || [[ $(tail -c 2 "$out" | od -An -c | tr -d ' ') != '\r\n' ]] ||
        ((bare != 0 || doubled != 0)); then
        echo "--$kind: $lines lines, $bare without CR LF, $doubled with CR CR LF; it ends:" >&2
        tail -c 64 "$out" | od -c >&2
        status=1
    fi
done
exit $status
