#!/usr/bin/env bash
# Installs what is missing, builds an optimised Culvertix and starts it (under Xvfb when
# there is no display). Camera systems come from the simulated Wi-Fi scenario on 127.0.0.1.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target Culvertix
app="$build/bin/Culvertix"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1920x1200x24" "$app" "$@"
fi
exec "$app" "$@"
