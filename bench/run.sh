#!/usr/bin/env bash
# Prints the panel's performance figures next to anchors measured in the same run, as medians
# of repeated runs. Not a test: the figures depend on the machine and on its load.
#
#   bench/run.sh [--runs N] [--idle SECONDS] [--fuzz] [--profile]
#
#   --runs N        repetitions per figure (default 7)
#   --idle SECONDS  how long the connected panel is watched while idle (default 20)
#   --profile       instead of the figures: the instructions that the panel and the anchor run
#                   until they ask for their window to be mapped (device answering), counted by
#                   valgrind's callgrind, which repeats however busy the machine is; the profiles
#                   are kept in BUILD/profile for callgrind_annotate
#   --fuzz          also run bench/fuzz-long.sh (long: 10 million executions per target) in the
#                   clang build dir named by BENCH_FUZZ_BUILD (default build-bench-fuzz)
#
# Builds what it needs in build-bench (BENCH_BUILD overrides). Everything it starts talks to
# 127.0.0.1 only; where the system allows, it runs in a network namespace of its own, so no
# other program can hold port 5000 or answer on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD:-$root/build-bench}
fuzzBuild=${BENCH_FUZZ_BUILD:-$root/build-bench-fuzz}
runs=7
idle=20
fuzz=0
profile=0
args=("$@")
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --fuzz) fuzz=1; shift ;;
    --profile) profile=1; shift ;;
    *) echo "usage: bench/run.sh [--runs N] [--idle SECONDS] [--fuzz] [--profile]" >&2; exit 2 ;;
    esac
done
if ! [ "$runs" -ge 1 ] 2>/dev/null || [ "$runs" -gt 50 ]; then
    echo "--runs must be 1 to 50" >&2
    exit 2
fi
if ! [ "$idle" -ge 1 ] 2>/dev/null || [ "$idle" -gt 120 ]; then
    echo "--idle must be 1 to 120 seconds" >&2
    exit 2
fi

if [ -z "${DAWNBELL_BENCH_NETWORK:-}" ]; then
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    echo "building in $build ..." >&2
    cmake --build "$build" -j"$(nproc)" \
        --target dawnbell dawnbell-sim bench_link bench_anchor bench_startup \
        dawnbell-send bench_send bench_stopatmap >/dev/null
    if [ "$fuzz" = 1 ] && [ ! -f "$fuzzBuild/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$fuzzBuild" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_CXX_COMPILER=clang++ -DDAWNBELL_FUZZ=ON >/dev/null
    fi
    if unshare -rn true 2>/dev/null; then
        exec env DAWNBELL_BENCH_NETWORK=private unshare -rn "$0" "${args[@]}"
    fi
    echo "warning: no private network namespace; port 5000 is shared with other programs" >&2
    export DAWNBELL_BENCH_NETWORK=shared
fi
if [ "$DAWNBELL_BENCH_NETWORK" = private ]; then
    ip link set lo up
fi

app=$build/app/dawnbell
sim=$build/tools/sim/dawnbell-sim
anchor=$build/bench/bench_anchor
watch=$build/bench/bench_startup
for exe in "$app" "$sim" "$anchor" "$watch" "$build/bench/bench_link" "$build/bench/bench_send"; do
    [ -x "$exe" ] || { echo "missing $exe" >&2; exit 2; }
done

work=$(mktemp -d)
runtime=
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work" "$runtime"
}
trap cleanup EXIT

# A runtime folder of our own keeps the panel's single-copy lock apart from any panel that
# runs outside the benchmark. It lives in memory where the system allows, as a login session's
# /run/user folder does, so that the lock's sync to disk costs what it costs on a desktop.
runtime=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d -p "$work")
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
unset SESSION_MANAGER

# -noreset: a server that resets whenever its last client leaves can stall the next client's
# connection, and here clients come and go all the time.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 2; }
DISPLAY=:$(head -1 "$work/display")
export DISPLAY
export QT_QPA_PLATFORM=xcb

# The settings file the panel loads, with the device port it connects to the second time.
writeSettings() {
    local folder=$1 port=$2
    mkdir -p "$folder"
    printf '%s\r\n' '"Starting on line 2, every other line is a comment.  comments must be in quotes."' \
        '"Alarm Hour"' '"6"' '"Alarm Minute"' '"30"' '"Alarm AMPM"' '"AM"' '"Alarm Track"' 151 \
        '"BackGrounds"' '"1"' '"Wake Up Screens"' '"1"' '"Announce Hourly"' '"0"' \
        '"Remote Host"' '"127.0.0.1"' '"Remote Port"' "\"$port\"" >"$folder/setupdata.ini"
}

# True when something accepts connections on 127.0.0.1:PORT.
answers() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Runs PROGRAM... under the window watcher in FOLDER; prints its key=value line, or nothing
# when the run failed (it is then left out of the medians).
watchOnce() {
    local folder=$1 idleSeconds=$2
    shift 2
    (cd "$folder" && timeout $((idleSeconds + 40)) "$watch" --idle "$idleSeconds" --timeout 20 \
        -- "$@") || echo "  a run of $(basename "$1") failed; left out" >&2
}

field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p"; }

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A samples
record() { [ -z "$2" ] || samples[$1]+="$2"$'\n'; }
med() { printf '%s' "${samples[$1]:-}" | sed '/^$/d' | median; }

unansweredPort=5001
if answers 5000 || answers $unansweredPort; then
    echo "port 5000 or $unansweredPort answers already; the unanswered waits cannot be measured" >&2
    exit 2
fi

echo "measuring: $runs runs, idle span ${idle} s, network: $DAWNBELL_BENCH_NETWORK," \
    "load average $(cut -d' ' -f1-3 /proc/loadavg)" >&2

# Start-up with nobody answering: two full waits of 2 s in the panel, the same two waits
# polled without pause in the anchor.
for run in $(seq $((profile ? 0 : runs))); do
    writeSettings "$work/unanswered" $unansweredPort
    line=$(watchOnce "$work/unanswered" 0 "$app")
    record wait.app.ms "$(field mapped_ms <<<"$line")"
    record wait.app.cpu "$(field startup_cpu_ms <<<"$line")"
    line=$(watchOnce "$work/unanswered" 0 "$anchor" --poll $unansweredPort)
    record wait.anchor.ms "$(field mapped_ms <<<"$line")"
    record wait.anchor.cpu "$(field startup_cpu_ms <<<"$line")"
    echo "  unanswered run $run/$runs done" >&2
done

"$sim" --port 5000 >"$work/sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    grep -q '^listening on' "$work/sim.log" && break
    sleep 0.1
done
grep -q '^listening on' "$work/sim.log" || { echo "device simulator did not start" >&2; exit 2; }

if [ "$profile" = 1 ]; then
    command -v valgrind >/dev/null || { echo "--profile needs valgrind" >&2; exit 2; }
    writeSettings "$work/answered" 5000
    mkdir -p "$build/profile"
    declare -A instructions
    for who in app anchor; do
        exe=$app
        [ $who = app ] || exe=$anchor
        rm -f "$build/profile/callgrind.$who".*
        (cd "$work/answered" && BENCH_STOP_AT_MAP=1 LD_PRELOAD="$build/bench/libbench_stopatmap.so" \
            valgrind --tool=callgrind --callgrind-out-file="$build/profile/callgrind.$who.%p" \
            "$exe" >/dev/null 2>&1) || true
        # The largest profile is the program's own; smaller ones belong to helpers it forks.
        out=$(ls -S "$build/profile/callgrind.$who".* | head -1)
        instructions[$who]=$(sed -n 's/^summary: //p' "$out")
        printf '%-7s %12s instructions until the window maps   %s\n' "$who" "${instructions[$who]}" "$out"
    done
    awk -v a="${instructions[app]}" -v b="${instructions[anchor]}" \
        'BEGIN { printf "ratio   %12.2f\n", a / b }'
    exit 0
fi

# Device answering: start-up time, idle processor time, then peak memory just before closing.
# The two programs take turns so that a drift of the machine's load touches both alike.
for run in $(seq "$runs"); do
    writeSettings "$work/answered" 5000
    for who in app anchor; do
        if [ $who = app ]; then
            line=$(watchOnce "$work/answered" "$idle" "$app")
        else
            line=$(watchOnce "$work/answered" "$idle" "$anchor")
        fi
        [ -n "$line" ] || continue
        record start.$who.ms "$(field mapped_ms <<<"$line")"
        record start.$who.cpu "$(field startup_cpu_ms <<<"$line")"
        record idle.$who.pct "$(awk -v c="$(field idle_cpu_ms <<<"$line")" \
            -v w="$(field idle_wall_ms <<<"$line")" 'BEGIN { printf "%.4f", 100 * c / w }')"
        record hwm.$who.kb "$(field hwm_kb <<<"$line")"
    done
    echo "  answered run $run/$runs done" >&2
done

linkOut=$("$build/bench/bench_link")
# dawnbell-send "time": 50 runs, each at a random point of a second.
echo "  dawnbell-send time: 50 runs (about 80 s) ..." >&2
sendOut=$("$build/bench/bench_send" "$build/tools/send/dawnbell-send" 50)

# Table.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
verdict() { awk -v v="$1" -v g="$2" -v op="$3" 'BEGIN {
    ok = (op == "<=") ? (v <= g) : (v == g); print ok ? "met" : "NOT MET" }'; }
row() { printf '%-44s %12s %12s %7s %10s  %s\n' "$@"; }

appStart=$(med start.app.ms)
anchorStart=$(med start.anchor.ms)
startRatio=$(ratio "$appStart" "$anchorStart")
appHwm=$(med hwm.app.kb)
anchorHwm=$(med hwm.anchor.kb)
hwmRatio=$(ratio "$appHwm" "$anchorHwm")
waitAppPct=$(awk -v c="$(med wait.app.cpu)" -v w="$(med wait.app.ms)" 'BEGIN { printf "%.2f", 100 * c / w }')
waitAnchorPct=$(awk -v c="$(med wait.anchor.cpu)" -v w="$(med wait.anchor.ms)" 'BEGIN { printf "%.2f", 100 * c / w }')
# The waits alone: what the unanswered start-up costs beyond the answered one.
waitOnlyPct=$(awk -v c1="$(med wait.app.cpu)" -v w1="$(med wait.app.ms)" \
    -v c0="$(med start.app.cpu)" -v w0="$appStart" \
    'BEGIN { printf "%.2f", (w1 > w0) ? 100 * (c1 - c0) / (w1 - w0) : 0 }')
idleApp=$(med idle.app.pct)
idleAnchor=$(med idle.anchor.pct)
latencyMedian=$(sed -n 's/.*median \([0-9]*\) us.*/\1/p' <<<"$linkOut")
latencyP99=$(sed -n 's/.*p99 \([0-9]*\) us.*/\1/p' <<<"$linkOut")
segments=$(sed -n 's/^ *sendToDevice (one flush) *\([0-9.]*\)$/\1/p' <<<"$linkOut")
segmentsAnchor=$(sed -n 's/^ *flush per piece (anchor) *\([0-9.]*\)$/\1/p' <<<"$linkOut")
linkWaitPct=$(awk '/connection wait \(sleeps\)/ { print $(NF) }' <<<"$linkOut")
linkPollPct=$(awk '/polling loop \(anchor\)/ { print $(NF) }' <<<"$linkOut")

echo
echo "Dawnbell figures: medians of $runs runs; Xvfb; device simulator on 127.0.0.1:5000;" \
    "network: $DAWNBELL_BENCH_NETWORK"
row figure dawnbell anchor ratio goal result
row "start-up to mapped window, device answering" "$appStart ms" "$anchorStart ms" \
    "$startRatio" "<= 1.3" "$(verdict "$startRatio" 1.3 "<=")"
row "  processor time until the window" "$(med start.app.cpu) ms" "$(med start.anchor.cpu) ms" \
    "$(ratio "$(med start.app.cpu)" "$(med start.anchor.cpu)")" "" ""
row "peak memory (VmHWM before closing)" "$((appHwm / 1024)) MiB" "$((anchorHwm / 1024)) MiB" \
    "$hwmRatio" "<= 1.2" "$(verdict "$hwmRatio" 1.2 "<=")"
row "CPU, start-up with two unanswered waits" "$waitAppPct %" "$waitAnchorPct %" "-" "<= 2 %" \
    "$(verdict "$waitAppPct" 2 "<=")"
row "  wall time until the window" "$(med wait.app.ms) ms" "$(med wait.anchor.ms) ms" "" "" ""
row "  the waits alone (minus answered start-up)" "$waitOnlyPct %" "" "" "" ""
row "  one wait in-process (bench_link)" "$linkWaitPct %" "$linkPollPct %" "" "" ""
row "CPU while idle, connected, ${idle} s" "$idleApp %" "$idleAnchor %" "-" "<= 0.1 %" \
    "$(verdict "$idleApp" 0.1 "<=")"
row "send-to-wire latency p99 (median)" "$latencyP99 us ($latencyMedian)" "" "" "<= 1000 us" \
    "$(verdict "${latencyP99:-99999}" 1000 "<=")"
row "TCP segments per \"T\" command" "$segments" "$segmentsAnchor" "" "= 1" \
    "$(verdict "${segments:-0}" 1 "==")"
sendP99=$(sed -n 's/.*dawnbell-send time.*p99 \([0-9.]*\) ms.*/\1/p' <<<"$sendOut")
sendMedian=$(sed -n 's/.*dawnbell-send time.*median \([0-9.]*\) ms.*/\1/p' <<<"$sendOut")
naiveP99=$(sed -n 's/.*(anchor).*p99 \([0-9.]*\) ms.*/\1/p' <<<"$sendOut")
naiveMedian=$(sed -n 's/.*(anchor).*median \([0-9.]*\) ms.*/\1/p' <<<"$sendOut")
row "send: \"T\" after whole second, p99 (median)" "$sendP99 ms ($sendMedian)" \
    "$naiveP99 ms ($naiveMedian)" "" "<= 20 ms" "$(verdict "${sendP99:-99999}" 20 "<=")"
echo
echo "bench_link output:"
sed 's/^/  /' <<<"$linkOut"
echo "bench_send output:"
sed 's/^/  /' <<<"$sendOut"

if [ "$fuzz" = 1 ]; then
    echo
    echo "Fuzzing (bench/fuzz-long.sh $fuzzBuild):"
    "$root/bench/fuzz-long.sh" "$fuzzBuild" || echo "fuzzing reported findings (exit $?)"
fi
