#!/usr/bin/env bash
# The test suite in a home that a user has lived in (a QtProject.conf that
# Qt's file dialog left, in a ~/.config that may not be written): it must
# pass and leave that home as it was, and leave no home of its own behind.
#   home-check.sh [BUILD_DIRECTORY] [CTEST ARGUMENT]...   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
shift || true
# A temporary folder of its own, so that other runs' homes do not count.
TMPDIR=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-suite.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
bash tests/test_support/keeps_out_of_home.sh --command ctest --test-dir "$build" --output-on-failure "$@"
left=$(find "$TMPDIR" -mindepth 1 -maxdepth 1 -name 'tessaly-home-*')
if [[ -n "$left" ]]; then
    echo "home-check: homes of the tests left behind:" >&2
    echo "$left" >&2
    exit 1
fi
echo "home-check: the suite passed and left the user's home as it was"
