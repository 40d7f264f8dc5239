#!/usr/bin/env bash
# Runs the whole CTest suite of a build folder several times in a row, optionally with CPU
# burners beside it, to bring out races that a quiet machine hides. Every run is logged; at
# the end every failed test is listed with the file that holds its output.
#
# Usage: scripts/stress-suite.sh [-n RUNS] [-b BURNERS] [-j JOBS] [-l LOG_DIR] [-s] BUILD_DIR [-- CTEST_ARGS...]
#   -n RUNS      runs of the whole suite (default 10)
#   -b BURNERS   busy processes beside the suite (default 0), killed when the script ends
#   -j JOBS      tests run side by side by ctest (default 4); a test without its own time-out
#                gets 600 s, as in CI
#   -l LOG_DIR   where the logs go (default BUILD_DIR/stress-logs/<date-time>)
#   -s           stop at the first failed run
# Arguments after -- go to ctest (for example -R 'tst_Foo|tst_Bar').
# Exits 0 when every run passed, 1 otherwise.
set -uo pipefail

runs=10
burners=0
jobs=4
log_dir=
stop_at_failure=0
usage() { sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
while getopts "n:b:j:l:sh" option; do
    case $option in
    n) runs=$OPTARG ;;
    b) burners=$OPTARG ;;
    j) jobs=$OPTARG ;;
    l) log_dir=$OPTARG ;;
    s) stop_at_failure=1 ;;
    *) usage ;;
    esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || usage
build=$(cd "$1" && pwd) || exit 2
shift
[ "${1:-}" = "--" ] && shift
[ -f "$build/CTestTestfile.cmake" ] || { echo "no CTest suite in $build" >&2; exit 2; }
for number in "$runs" "$burners" "$jobs"; do
    [[ $number =~ ^[0-9]+$ ]] || usage
done

log_dir=${log_dir:-$build/stress-logs/$(date -u +%Y%m%d-%H%M%S)}
mkdir -p "$log_dir"
log_dir=$(cd "$log_dir" && pwd)

# The burners are this script's own children; only they are ended, by their ids.
burner_pids=()
stop_burners() {
    for pid in "${burner_pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${burner_pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    burner_pids=()
}
trap stop_burners EXIT
trap 'exit 130' INT TERM
for ((i = 0; i < burners; ++i)); do
    yes >/dev/null &
    burner_pids+=("$!")
done

# One plug-in registry for all runs instead of one scan per test, as CI does.
export GST_REGISTRY=${GST_REGISTRY:-$build/gst-registry.bin}
gst-inspect-1.0 >/dev/null 2>&1 || true

summary="$log_dir/summary.txt"
: >"$summary"
passed_in_a_row=0
failed_runs=0
echo "suite: $build, runs: $runs, burners: $burners, ctest -j $jobs, logs: $log_dir" | tee -a "$summary"
for ((run = 1; run <= runs; ++run)); do
    run_dir="$log_dir/run-$run"
    mkdir -p "$run_dir"
    started=$(date +%s)
    (cd "$build" && ctest -j "$jobs" --timeout 600 --output-on-failure "$@") >"$run_dir/ctest.log" 2>&1
    status=$?
    seconds=$(($(date +%s) - started))
    load=$(cut -d' ' -f1-3 /proc/loadavg)
    failed=$(sed -n 's/^[[:space:]]*[0-9]\+ - \([^ ]*\) (.*$/\1/p' "$run_dir/ctest.log")
    if [ "$status" -eq 0 ]; then
        passed_in_a_row=$((passed_in_a_row + 1))
        echo "run $run: passed in ${seconds}s (load $load)" | tee -a "$summary"
    else
        passed_in_a_row=0
        failed_runs=$((failed_runs + 1))
        echo "run $run: FAILED (status $status) in ${seconds}s (load $load)" | tee -a "$summary"
        [ -n "$failed" ] || echo "  (no failed test named; see $run_dir/ctest.log)" | tee -a "$summary"
        # ctest keeps every test's whole output of the last run in LastTest.log.
        cp "$build/Testing/Temporary/LastTest.log" "$run_dir/LastTest.log" 2>/dev/null
        for test in $failed; do
            output="$run_dir/$test.txt"
            awk -v name="$test" '
                $0 ~ "^[0-9]+/[0-9]+ Testing: " && $NF == name { printing = 1 }
                printing { print }
                printing && index($0, "\"" name "\" time elapsed") == 1 { printing = 0 }
            ' "$run_dir/LastTest.log" >"$output" 2>/dev/null
            [ -s "$output" ] || cp "$run_dir/ctest.log" "$output"
            echo "  failed: $test -> $output" | tee -a "$summary"
        done
        [ "$stop_at_failure" -eq 1 ] && break
    fi
done
echo "failed runs: $failed_runs; passed in a row at the end: $passed_in_a_row" | tee -a "$summary"
[ "$failed_runs" -eq 0 ]
