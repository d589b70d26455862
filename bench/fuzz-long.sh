#!/usr/bin/env bash
# Runs each fuzz target for a long time (10 million executions by default) on a private copy
# of its seed corpus, then prints executions and findings per target.
#
#   bench/fuzz-long.sh [build-dir]           build-dir defaults to build-fuzz
#   FUZZ_RUNS=1000000 bench/fuzz-long.sh     fewer executions
#   FUZZ_SECONDS=600 bench/fuzz-long.sh      stop each target after this long (default 2400)
#   FUZZ_PARALLEL=0 bench/fuzz-long.sh       one target after the other (default: side by side)
#   FUZZ_TARGETS=fuzz_command_decoder bench/fuzz-long.sh   only the targets named
#
# The build dir must be configured with clang and -DDAWNBELL_FUZZ=ON:
#   cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
#         -DDAWNBELL_FUZZ=ON
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-fuzz}
runs=${FUZZ_RUNS:-10000000}
seconds_cap=${FUZZ_SECONDS:-2400}
parallel=${FUZZ_PARALLEL:-1}
read -r -a targets <<<"${FUZZ_TARGETS:-fuzz_settings_reader fuzz_command_decoder}"

# Longest input per target. The decoder never holds more than one command (under 80 bytes),
# so a stream of a few hundred bytes reaches every state a longer one does; the default of
# 4096 only made its runs slower.
maxLength() {
    case $1 in
    fuzz_command_decoder) echo 512 ;;
    *) echo 4096 ;;
    esac
}

if ! cmake --build "$build" --target "${targets[@]}" >/dev/null 2>&1; then
    echo "warning: building the fuzz targets failed; running the executables already built" >&2
fi
for target in "${targets[@]}"; do
    [ -x "$build/tests/fuzz/$target" ] || { echo "missing $build/tests/fuzz/$target" >&2; exit 2; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    # Each runner is a subshell; its fuzzer is its child.
    for pid in "${pids[@]}"; do
        pkill -P "$pid" 2>/dev/null || true
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

runTarget() {
    local target=$1
    local exe="$build/tests/fuzz/$target"
    mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
    cp "$root/tests/fuzz/corpus/$target/"* "$work/$target/corpus/"
    local start
    start=$(date +%s)
    # A finding stops the run; it is counted and reported below, not treated as a script error.
    "$exe" -runs="$runs" -max_total_time="$seconds_cap" -max_len="$(maxLength "$target")" \
        -print_final_stats=1 \
        -artifact_prefix="$work/$target/artifacts/" \
        "$work/$target/corpus" >"$work/$target/log" 2>&1 || true
    echo $(($(date +%s) - start)) >"$work/$target/seconds"
}

for target in "${targets[@]}"; do
    if [ "$parallel" = 1 ]; then
        runTarget "$target" &
        pids+=($!)
    else
        runTarget "$target"
    fi
done
for pid in "${pids[@]}"; do wait "$pid" || true; done
pids=()

status=0
printf '%-24s %12s %12s %10s %8s %s\n' target executions goal exec/s findings seconds
for target in "${targets[@]}"; do
    log="$work/$target/log"
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    findings=$(find "$work/$target/artifacts" -type f | wc -l)
    printf '%-24s %12s %12s %10s %8s %s\n' "$target" "${executions:-?}" "$runs" "${rate:-?}" \
        "$findings" "$(cat "$work/$target/seconds")"
    if [ "$findings" -gt 0 ]; then
        status=1
        keep="$build/fuzz-findings/$target"
        mkdir -p "$keep"
        cp "$work/$target/artifacts/"* "$log" "$keep/"
        echo "  findings and log kept in $keep"
    fi
done
exit $status
