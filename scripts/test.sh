#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole suite; exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/test"
jobs=$(nproc)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
      -DCX_SANITIZE=ON -DCX_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "$jobs"
# One GStreamer registry for the whole run instead of one scan per test.
export GST_REGISTRY="$build/gst-registry.bin"
gst-inspect-1.0 >/dev/null 2>&1 || true
cd "$build"
ctest --output-on-failure -j "$jobs" --timeout 600 "$@"
