#!/usr/bin/env bash
# Installs what is missing, builds an optimised Culvertix and starts it (under Xvfb when
# there is no display). Without a real Wi-Fi layer the program sees the simulated networks
# of scripts/wlan-default-scenario.json; the camera systems behind them are the bundled
# simulators, started here on 127.0.0.1 and stopped when the program ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCX_BUILD_PEERS=ON >/dev/null
cmake --build "$build" --target Culvertix cx_rtsp_peer cx_rvq_link_simulator_peer

export CX_WLAN_SCENARIO="${CX_WLAN_SCENARIO:-$root/scripts/wlan-default-scenario.json}"
peers=()
cleanup() {
    for pid in "${peers[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
if [ "${CX_NO_SIMULATORS:-}" != "1" ]; then
    logs="$build/simulators"
    mkdir -p "$logs"
    "$build/bin/cx_rtsp_peer" --port 8554 --width 1280 --height 720 --fps 30 >"$logs/rtsp.log" 2>&1 &
    peers+=($!)
    "$build/bin/cx_rvq_link_simulator" --port 5000 >"$logs/rvq-link.log" 2>&1 &
    peers+=($!)
    python3 "$root/tests/peers/camera-simulator/camera_sim.py" --port 8580 >"$logs/camera.log" 2>&1 &
    peers+=($!)
fi

app="$build/bin/Culvertix"
status=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1920x1200x24" "$app" "$@" || status=$?
else
    "$app" "$@" || status=$?
fi
exit $status
