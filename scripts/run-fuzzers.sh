#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build, each from a copy of the seed corpus beside its
# source, at most JOBS at a time, all within one wall-clock budget: the targets are split into
# as many rounds as the job limit needs and each gets its share of the budget, so the run costs
# about that budget whatever the number of targets and cores.
#   scripts/run-fuzzers.sh BUILD_DIR [SECONDS]
# JOBS is CMake's CMAKE_BUILD_PARALLEL_LEVEL (the README's job limit), else the number of cores.
# Fails when a target crashes, hangs on one input (libFuzzer's -timeout), does not end within its
# share and a grace period, or leaks when its grown corpus is run once more with leak detection.
# Leaks that lie wholly inside Qt or the system libraries are listed in fuzz/lsan-suppressions.txt.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: run-fuzzers.sh BUILD_DIR [SECONDS]}
budget=${2:-85}
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
[[ $jobs =~ ^[1-9][0-9]*$ ]] || jobs=1
grace=40
list="$build/fuzzers.txt"
[ -s "$list" ] || { echo "No fuzzers listed in $list"; exit 0; }
count=$(grep -c . "$list")
rounds=$(( (count + jobs - 1) / jobs ))
share=$(( budget / rounds ))
# Most of a target's share fuzzes; the rest runs the grown corpus once more looking for leaks (a
# few seconds for a few hundred inputs).
leak_time=10
fuzz_time=$((share > 2 * leak_time ? share - leak_time : (share + 1) / 2))

work=$(mktemp -d)
declare -A running=()  # process id -> target name
cleanup() {
    # timeout passes the signal on to the fuzzer it runs.
    for pid in "${!running[@]}"; do
        pkill -TERM -P "$pid" 2>/dev/null
        kill "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

passed=0
failed=0
# Waits for any one running target and reports it.
reap() {
    local pid rc=0 name log runs
    wait -n -p pid "${!running[@]}" || rc=$?
    name=${running[$pid]}
    unset "running[$pid]"
    log="$build/$name.log"
    if [ "$rc" -eq 0 ]; then
        passed=$((passed + 1))
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | head -n1 | grep -o '[0-9]*$' || true)
        echo "  $name: clean (${runs:-?} inputs)"
    else
        failed=$((failed + 1))
        if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
            echo "  $name: did not end within its time and a ${grace}s grace (hang)"
        else
            echo "  $name: finding (exit $rc), log $log"
        fi
        tail -n 60 "$log"
    fi
}

echo "Fuzzing $count targets, $jobs at a time, ${share}s each, within ${budget}s"
while read -r name dir; do
    [ -n "$name" ] || continue
    while [ "${#running[@]}" -ge "$jobs" ]; do reap; done
    corpus="$work/$name"
    mkdir -p "$corpus"
    [ -d "$dir/corpus" ] && cp -r "$dir/corpus/." "$corpus/"
    binary="$build/fuzz/$(basename "$dir")/$name"
    log="$build/$name.log"
    (
        # Fuzzing proper, fast: leaks are looked for afterwards. The outer time-out catches a
        # target that stops answering altogether (a deadlock, an exit that never ends);
        # libFuzzer's own -timeout catches one slow input.
        ASAN_OPTIONS=detect_leaks=0 timeout -k 10 $((fuzz_time + grace)) "$binary" -max_total_time="$fuzz_time" \
            -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -close_fd_mask=3 -artifact_prefix="$build/$name-" \
            "$corpus" || exit $?
        # Every input of the grown corpus once more, with full allocation stacks (Qt is built
        # without frame pointers) and leak detection at exit.
        echo "=== leak check of the corpus"
        ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 \
        LSAN_OPTIONS="suppressions=$root/fuzz/lsan-suppressions.txt:print_suppressions=0" \
            timeout -k 10 $((leak_time + grace)) "$binary" -runs=0 -timeout=10 -close_fd_mask=3 "$corpus"
    ) >"$log" 2>&1 &
    running[$!]=$name
done < "$list"
while [ "${#running[@]}" -gt 0 ]; do reap; done
echo "Fuzzing finished: $passed targets clean, $failed with findings"
[ "$failed" -eq 0 ]
