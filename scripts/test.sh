#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (AddressSanitizer and
# UndefinedBehaviorSanitizer) and the libFuzzer targets (clang), runs all fuzzers side by side
# within one bounded time and then the whole suite. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# CMake's own variable limits the builds and the suite alike (on a shared machine, or with little
# memory); an explicit -j would override it.
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
# Wall-clock budget shared by all fuzzers, which run side by side.
fuzz_seconds=${CX_FUZZ_SECONDS:-85}

build="$root/build/test"
# lld links the two hundred tests and libraries in a fifth of the time of the default linker.
lld=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld
     -DCMAKE_MODULE_LINKER_FLAGS=-fuse-ld=lld)
# Line tables only: sanitizer reports keep file and line at a fraction of full debug
# information's size. With the application's libraries shared (the default of a test build) the
# whole build stays under 1 GB; linked statically into each test it took 6.5 GB and filled a CI
# machine's disk.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
      -DCX_SANITIZE=ON -DCX_BUILD_TESTS=ON "${lld[@]}" >/dev/null
cmake --build "$build" -j "$jobs"

# One GStreamer plug-in registry for the whole run instead of one scan per test.
export GST_REGISTRY="$build/gst-registry.bin"
gst-inspect-1.0 >/dev/null 2>&1 || true

status=0
if [ -n "$(find "$root/fuzz" -mindepth 2 -maxdepth 2 -name CMakeLists.txt 2>/dev/null)" ]; then
    fuzz_build="$root/build/fuzz"
    CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCX_BUILD_FUZZERS=ON "${lld[@]}" >/dev/null
    targets=$(cut -d' ' -f1 "$fuzz_build/fuzzers.txt" | tr '\n' ' ')
    if [ -n "$targets" ]; then
        # shellcheck disable=SC2086
        cmake --build "$fuzz_build" -j "$jobs" --target $targets
        fuzz_status=0
        "$root/scripts/run-fuzzers.sh" "$fuzz_build" "$fuzz_seconds" || fuzz_status=$?
        [ "$fuzz_status" -eq 0 ] || status=1
    fi
fi

echo "Disk used by the builds: $(du -sh "$build" | cut -f1) (tests), $(du -sh "$root/build/fuzz" 2>/dev/null | cut -f1) (fuzzers)"

# The suite runs last so that its summary closes the output. One test more than the job limit:
# tst_SlowLinks holds its slot for minutes while it waits on its rate-limited links, and most of
# the rest wait on peers and timers as much as they compute.
(cd "$build" && ctest --output-on-failure -j "$((jobs + 1))" --timeout 600 "$@") || status=$?
exit $status
