#!/usr/bin/env bash
# Installs what is missing, builds the test configuration (AddressSanitizer and
# UndefinedBehaviorSanitizer) and the libFuzzer targets (clang), runs each fuzzer for a
# bounded time and then the whole suite. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
jobs=$(nproc)
fuzz_seconds=${CX_FUZZ_SECONDS:-45}

build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
      -DCX_SANITIZE=ON -DCX_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j "$jobs"

# One GStreamer plug-in registry for the whole run instead of one scan per test.
export GST_REGISTRY="$build/gst-registry.bin"
gst-inspect-1.0 >/dev/null 2>&1 || true

status=0
if [ -n "$(find "$root/fuzz" -mindepth 2 -maxdepth 2 -name CMakeLists.txt 2>/dev/null)" ]; then
    fuzz_build="$root/build/fuzz"
    CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DCX_BUILD_FUZZERS=ON >/dev/null
    targets=$(cut -d' ' -f1 "$fuzz_build/fuzzers.txt" | tr '\n' ' ')
    if [ -n "$targets" ]; then
        # shellcheck disable=SC2086
        cmake --build "$fuzz_build" -j "$jobs" --target $targets
        passed=0; failed=0
        while read -r name dir; do
            [ -n "$name" ] || continue
            corpus=$(mktemp -d)
            [ -d "$dir/corpus" ] && cp -r "$dir/corpus/." "$corpus/"
            echo "Fuzzing $name for ${fuzz_seconds}s"
            if ASAN_OPTIONS=detect_leaks=0 "$fuzz_build/fuzz/$(basename "$dir")/$name" \
                   -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -timeout=10 \
                   -print_final_stats=0 -close_fd_mask=3 "$corpus" >"$fuzz_build/$name.log" 2>&1; then
                passed=$((passed + 1))
            else
                failed=$((failed + 1)); status=1
                tail -n 60 "$fuzz_build/$name.log"
            fi
            rm -rf "$corpus"
        done < "$fuzz_build/fuzzers.txt"
        echo "Fuzzing finished: $passed targets clean, $failed with findings"
    fi
fi

# The suite runs last so that its summary closes the output.
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 600 "$@") || status=$?
exit $status
