#!/usr/bin/env bash
# Checks that tests/tools/run-isolated.sh leaves nothing behind: neither the sandbox nor a
# process the test started, whether the test ends by itself, the runner gets TERM (CTest's
# time-out) or the runner is killed outright, also while the test is being started. Every wait
# is bounded.
set -u
runner="$(cd "$(dirname "$0")" && pwd)/run-isolated.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/cx-run-isolated-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The fake test: notes its sandbox and a child it leaves running, then sleeps or exits.
cat >"$work/fake-test.sh" <<'FAKE'
#!/usr/bin/env bash
sleep 300 &
echo "$TMPDIR $!" >"$1"
if [ "$2" = "exit" ]; then
    exit 3
fi
sleep 300
FAKE
chmod +x "$work/fake-test.sh"

# Waits up to 10 s for a file to appear or for a condition to hold.
wait_until() {
    for _ in $(seq 1 100); do
        if eval "$1"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

check_clean() {
    local what=$1 info=$2
    local sandbox child
    read -r sandbox child <"$info"
    wait_until "[ ! -e '$sandbox' ] && ! kill -0 $child 2>/dev/null" \
        || fail "$what: sandbox $sandbox or child $child left behind"
    kill -KILL "$child" 2>/dev/null
}

# 1. The test ends by itself and leaves a child: the status is kept, nothing stays.
"$runner" "$work/fake-test.sh" "$work/normal" exit
status=$?
[ "$status" -eq 3 ] || fail "normal exit: status $status instead of 3"
check_clean "normal exit" "$work/normal"

# 2. TERM to the runner, as CTest's time-out sends it.
"$runner" "$work/fake-test.sh" "$work/term" sleep &
runner_pid=$!
wait_until "[ -s '$work/term' ]" || fail "TERM: the fake test did not start"
kill -TERM "$runner_pid"
wait "$runner_pid"
status=$?
[ "$status" -eq 143 ] || fail "TERM: status $status instead of 143"
check_clean "TERM" "$work/term"

# 3. KILL to the runner: no trap runs; the reaper cleans up.
"$runner" "$work/fake-test.sh" "$work/kill" sleep &
runner_pid=$!
wait_until "[ -s '$work/kill' ]" || fail "KILL: the fake test did not start"
kill -KILL "$runner_pid"
wait "$runner_pid" 2>/dev/null
check_clean "KILL" "$work/kill"

# 4 and 5. A signal between the record of the test's group and setsid, which makes it: the
# window is held open by a copy of the runner that waits there on a pipe nobody writes to. The
# test is stopped all the same, though its group does not exist yet.
gate="$work/gate"
mkfifo "$gate"
sed 's|\(echo "\$BASHPID" >"\$sandbox/.group" && \)\(exec setsid\)|\1read -r _ <"$CX_GATE" \&\& \2|' "$runner" \
    >"$work/paused-runner.sh"
chmod +x "$work/paused-runner.sh"
cmp -s "$runner" "$work/paused-runner.sh" && fail "window: the runner's start of the test was not found"
for signal in TERM KILL; do
    mkdir "$work/$signal"
    TMPDIR="$work/$signal" CX_GATE="$gate" "$work/paused-runner.sh" "$work/fake-test.sh" "$work/$signal-window" sleep &
    runner_pid=$!
    wait_until "[ -s $work/$signal/cx-test.*/.group ]" || fail "$signal in the window: the group was not recorded"
    starting=$(cat "$work/$signal"/cx-test.*/.group)
    kill "-$signal" "$runner_pid"
    wait "$runner_pid" 2>/dev/null
    wait_until "! kill -0 $starting 2>/dev/null" || fail "$signal in the window: the test's start $starting runs on"
    kill -KILL "$starting" 2>/dev/null
done

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "run-isolated.sh cleans up on exit, TERM and KILL"
