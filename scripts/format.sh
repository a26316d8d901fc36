#!/usr/bin/env bash
# Formats every C++ source of the project with clang-format, or with --check
# lists the files that are not formatted and fails.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format="${CLANG_FORMAT:-clang-format}"
if ! command -v "$clang_format" >/dev/null; then
    echo "format: $clang_format is not installed (apt-get install clang-format)" >&2
    exit 2
fi

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' |
                         while read -r file; do [[ -f "$file" ]] && echo "$file"; done)
else
    mapfile -t files < <(find core report widgets ui desktop app tests bench fuzz \
                              -name '*.cpp' -o -name '*.h' 2>/dev/null)
fi

if [[ "${1:-}" == "--check" ]]; then
    unformatted=()
    for file in "${files[@]}"; do
        if ! "$clang_format" --dry-run -Werror "$file" >/dev/null 2>&1; then
            unformatted+=("$file")
        fi
    done
    if ((${#unformatted[@]} > 0)); then
        echo "format: not formatted (run: cmake --build build --target format):" >&2
        printf '  %s\n' "${unformatted[@]}" >&2
        exit 1
    fi
    # Qt's QTRY_ macros report to a log a gtest run never reads: a wait
    # that timed out would pass.
    if misused=$(grep -ln 'QTRY_' -- "${files[@]}" | grep -v '^tests/test_support/wait_until.h$'); then
        echo "format: QTRY_ in a gtest test; use TESSALY_WAIT_UNTIL (test_support/wait_until.h):" >&2
        printf '  %s\n' $misused >&2
        exit 1
    fi
    echo "format: ${#files[@]} files formatted"
else
    "$clang_format" -i "${files[@]}"
fi
