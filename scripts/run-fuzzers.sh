#!/usr/bin/env bash
# Builds the fuzz targets with clang (build-fuzz) and runs each for SECONDS
# seconds on a scratch copy of its seed corpus, so that the committed corpus
# does not grow. Exits non-zero when any target finds something, naming the
# target and its crash file.
#
#   scripts/run-fuzzers.sh SECONDS [TARGET...]
#
# TESSALY_FUZZ_BUILD overrides the build folder, TESSALY_FUZZ_JOBS the
# number of compile jobs (2).
set -euo pipefail

if (($# < 1)) || ! [[ "$1" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 SECONDS [TARGET...]" >&2
    exit 64
fi
seconds="$1"
shift

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TESSALY_FUZZ_BUILD:-$root/build-fuzz}"
targets=("$@")
if ((${#targets[@]} == 0)); then
    targets=(fuzz_data_file fuzz_profile_file fuzz_sibling_line fuzz_date_token
             fuzz_report_tool_args fuzz_csv fuzz_vcard fuzz_list_round_trip fuzz_entry_attributes
             fuzz_caldav fuzz_event_patch fuzz_sync_histories)
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DTESSALY_FUZZ=ON \
    -DTESSALY_BUILD_GUI=OFF -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j "${TESSALY_FUZZ_JOBS:-2}"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/tessaly-fuzz-run-XXXXXX")"
failed=()
for target in "${targets[@]}"; do
    work="$scratch/$target"
    mkdir -p "$work/corpus" "$work/tmp"
    cp -R "$root/fuzz/corpus/$target/." "$work/corpus/"
    echo "=== $target: ${seconds} s"
    # A target's own temporary files stay in the scratch folder, even when a
    # crash leaves no time to remove them.
    if TMPDIR="$work/tmp" "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" >"$work/log" 2>&1; then
        grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$work/log" |
            sed "s/^/    /" || true
    else
        failed+=("$target")
        echo "!!! $target FAILED; log: $work/log"
        grep -E "^\*\*\* [^ *]|ERROR: |SUMMARY: " "$work/log" | head -n 8 |
            sed "s/^/    /" || true
        for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
            if [[ -e "$artifact" ]]; then
                echo "    crash file: $artifact"
                echo "    reproduce:  $build/bin/$target $artifact"
            fi
        done
    fi
done

if ((${#failed[@]} > 0)); then
    echo "run-fuzzers: findings in ${failed[*]}; everything is kept in $scratch" >&2
    exit 1
fi
rm -rf "$scratch"
echo "run-fuzzers: no findings in ${targets[*]} (${seconds} s each)"
