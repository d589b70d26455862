#!/usr/bin/env bash
# Runs each fuzz target for a long time (10 million executions by default) on a private copy
# of its seed corpus, then prints executions and findings per target.
#
#   bench/fuzz-long.sh [build-dir]        build-dir defaults to build-fuzz
#   FUZZ_RUNS=1000000 bench/fuzz-long.sh  fewer executions
#
# The build dir must be configured with clang and -DDAWNBELL_FUZZ=ON:
#   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DDAWNBELL_FUZZ=ON
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-fuzz}
runs=${FUZZ_RUNS:-10000000}
targets=(fuzz_settings_reader fuzz_command_decoder)

if ! cmake --build "$build" --target "${targets[@]}" >/dev/null 2>&1; then
    echo "warning: building the fuzz targets failed; running the executables already built" >&2
fi
for target in "${targets[@]}"; do
    [ -x "$build/tests/fuzz/$target" ] || { echo "missing $build/tests/fuzz/$target" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

printf '%-24s %12s %10s %8s %s\n' target executions exec/s findings seconds
for target in "${targets[@]}"; do
    exe="$build/tests/fuzz/$target"
    mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
    cp "$root/tests/fuzz/corpus/$target/"* "$work/$target/corpus/"
    start=$(date +%s)
    # A finding stops the run; it is counted and reported below, not treated as a script error.
    "$exe" -runs="$runs" -print_final_stats=1 -artifact_prefix="$work/$target/artifacts/" \
        "$work/$target/corpus" >"$work/$target/log" 2>&1 || true
    seconds=$(( $(date +%s) - start ))
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target/log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/$target/log" | tail -1)
    findings=$(find "$work/$target/artifacts" -type f | wc -l)
    printf '%-24s %12s %10s %8s %s\n' "$target" "${executions:-?}" "${rate:-?}" "$findings" "$seconds"
    if [ "$findings" -gt 0 ]; then
        status=1
        keep="$build/fuzz-findings/$target"
        mkdir -p "$keep"
        cp "$work/$target/artifacts/"* "$work/$target/log" "$keep/"
        echo "  findings and log kept in $keep"
    fi
done
exit $status
