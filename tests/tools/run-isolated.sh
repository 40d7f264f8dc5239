#!/usr/bin/env bash
# Runs one test executable with its own HOME, XDG folders and settings, so that no test
# touches the real home folder and tests can run in parallel.
set -u
sandbox=$(mktemp -d "${TMPDIR:-/tmp}/cx-test.XXXXXX")
trap 'rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home" "$sandbox/config" "$sandbox/data" "$sandbox/cache" "$sandbox/runtime"
chmod 700 "$sandbox/runtime"
export HOME="$sandbox/home"
export XDG_CONFIG_HOME="$sandbox/config"
export XDG_DATA_HOME="$sandbox/data"
export XDG_CACHE_HOME="$sandbox/cache"
export XDG_RUNTIME_DIR="$sandbox/runtime"
export TMPDIR="$sandbox"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export QT_QUICK_BACKEND="${QT_QUICK_BACKEND:-software}"
export QML_DISABLE_DISK_CACHE=1
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:halt_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
"$@"
