#!/usr/bin/env bash
# Runs one test executable with its own HOME, XDG folders and settings, so that no test
# touches the real home folder and tests can run in parallel.
#
# The test runs in a process group of its own, which the simulators it starts join. However
# this script ends (the test finished, CTest's time-out sent TERM, Ctrl-C, or even a KILL that
# no trap sees), that group is killed and the sandbox is removed:
# - TERM, INT, HUP and EXIT are trapped here;
# - for a KILL, a reaper outside this script's process tree holds the read end of a pipe whose
#   write end only this script holds; the end of the pipe tells it the script is gone.
set -u
sandbox=$(mktemp -d "${TMPDIR:-/tmp}/cx-test.XXXXXX")
child=""

# Signals the test's process group or, before setsid has made it, the test itself: as long as
# this shell has not reaped the test, its id is still its own.
signal_test() {
    kill "-$1" -- "-$child" 2>/dev/null && return 0
    jobs -rp | grep -qx -- "$child" && kill "-$1" "$child" 2>/dev/null
}

# Kills the test's process group: a polite TERM first, then KILL for what is left.
stop_group() {
    signal_test TERM || return 0
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        signal_test 0 || return 0
        sleep 0.2
    done
    signal_test KILL
    return 0
}

cleanup() {
    trap - EXIT TERM INT HUP
    if [ -n "$child" ]; then
        stop_group
    fi
    rm -rf "$sandbox"
}
trap cleanup EXIT
trap 'cleanup; exit 143' TERM
trap 'cleanup; exit 130' INT
trap 'cleanup; exit 129' HUP

mkdir -p "$sandbox/home" "$sandbox/config" "$sandbox/data" "$sandbox/cache" "$sandbox/runtime"
chmod 700 "$sandbox/runtime"

# The reaper reads the pipe whose write end is this script's fd 9. It is started by a subshell
# that exits at once, so that it belongs to no process tree that a kill of this script walks;
# when the pipe ends (this script is gone, however), it cleans up what the script could not.
# (A background job's standard input is /dev/null, so the pipe travels on fd 3.)
exec 9> >(
    exec 3<&0
    (
        setsid bash -c '
            sandbox=$1
            cat <&3 >/dev/null
            group=$(cat "$sandbox/.group" 2>/dev/null)
            if [ -n "$group" ]; then
                # Before setsid the group does not exist yet: the test itself is signalled.
                { kill -TERM -- "-$group" || kill -TERM "$group"; } 2>/dev/null && sleep 2
                { kill -KILL -- "-$group" || kill -KILL "$group"; } 2>/dev/null
            fi
            rm -rf "$sandbox"
        ' reaper "$sandbox" </dev/null >/dev/null 2>&1 &
    )
)

export HOME="$sandbox/home"
export XDG_CONFIG_HOME="$sandbox/config"
export XDG_DATA_HOME="$sandbox/data"
export XDG_CACHE_HOME="$sandbox/cache"
export XDG_RUNTIME_DIR="$sandbox/runtime"
export TMPDIR="$sandbox"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export QT_QUICK_BACKEND="${QT_QUICK_BACKEND:-software}"
export QML_DISABLE_DISK_CACHE=1
# Tests run on the simulated Wi-Fi (one adapter, no network until a test adds some) unless
# they name a scenario of their own or unset the variable; and the machine's system bus (with
# its NetworkManager) is never reached: a test that needs NetworkManager starts a bus of its
# own and points this variable at it.
export CX_WLAN_SCENARIO="${CX_WLAN_SCENARIO:-$(cd "$(dirname "$0")" && pwd)/wlan-test-scenario.json}"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$sandbox/no-system-bus"
# The start screen checks for updates: never anywhere but the loopback network.
export CX_UPDATE_BASE_URL="${CX_UPDATE_BASE_URL:-http://127.0.0.1:9}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:halt_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

# A new session makes the test the leader of its own process group (its id is the test's
# pid). The guard's write end stays with this script alone. The group is on record before the
# test runs (for the reaper), and a signal that comes while the test is being started waits
# until this script knows the group too, so that no way out misses the test.
pending=""
trap 'pending=143' TERM
trap 'pending=130' INT
trap 'pending=129' HUP
( exec 9>&- && echo "$BASHPID" >"$sandbox/.group" && exec setsid "$@" ) &
child=$!
trap 'cleanup; exit 143' TERM
trap 'cleanup; exit 130' INT
trap 'cleanup; exit 129' HUP
[ -z "$pending" ] || exit "$pending"
wait "$child"
status=$?
# The test is gone; simulators it left behind go with its group in the EXIT trap.
exit "$status"
