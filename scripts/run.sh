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
    # The command link's port is fixed, so each binary-link system has a loopback address of
    # its own (as the scenario says), with its video server beside it. Every RTSP peer serves
    # the paths and credentials of all system types; the one on 127.0.0.1 also stands in for
    # the Hoselux and Pelkom video.
    # The encoder boards sit beside their systems: the ZPX's web board and the Gullyrover's
    # Brennic board. The video of those two systems follows the board's mode.
    python3 "$root/tests/peers/encoder-boards/zpx_board_sim.py" --address 127.0.0.1 --port 8680 \
        --mode-file "$logs/board-127.0.0.1.txt" >"$logs/zpx-board.log" 2>&1 &
    peers+=($!)
    python3 "$root/tests/peers/encoder-boards/brennic_board_sim.py" --address 127.0.0.3 --port 5002 \
        --mode-file "$logs/board-127.0.0.3.txt" >"$logs/brennic-board.log" 2>&1 &
    peers+=($!)
    for system in "127.0.0.1 ZPX_1.0 V01" "127.0.0.2 ZPH_4.0 V01" "127.0.0.3 GLYRV_1.0 V01"; do
        read -r address hardware_id <<<"$system"
        "$build/bin/cx_rtsp_peer" --address "$address" --port 8554 --width 1280 --height 720 --fps 30 \
            --mode-file "$logs/board-$address.txt" >"$logs/rtsp-$address.log" 2>&1 &
        peers+=($!)
        "$build/bin/cx_rvq_link_simulator" --address "$address" --port 5000 --hardware-id "$hardware_id" \
            >"$logs/rvq-link-$address.log" 2>&1 &
        peers+=($!)
    done
    python3 "$root/tests/peers/camera-simulator/camera_sim.py" --port 8580 >"$logs/camera.log" 2>&1 &
    peers+=($!)
    # The update server offers this build's own version unless CX_UPDATE_VERSION says otherwise.
    python3 "$root/tests/peers/update-server/update_server.py" --port 8590 --version "${CX_UPDATE_VERSION:-1.7.9}" \
        --installer "$root/README.md" >"$logs/update.log" 2>&1 &
    peers+=($!)
    export CX_UPDATE_BASE_URL="${CX_UPDATE_BASE_URL:-http://127.0.0.1:8590}"
fi

# The manhole map takes its tiles from the local tile peer, never from the internet; its
# address is kept in scripts/map-tiles.env.
export CX_MAP_TILE_URL="${CX_MAP_TILE_URL:-$(sed -n 's/^CX_MAP_TILE_URL=//p' "$root/scripts/map-tiles.env")}"
mkdir -p "$build/simulators"
python3 "$root/tests/peers/tile-server/tile_peer.py" --url "$CX_MAP_TILE_URL" \
    --log "$build/simulators/tiles.jsonl" >"$build/simulators/tiles.log" 2>&1 &
peers+=($!)

app="$build/bin/Culvertix"
status=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1920x1200x24" "$app" "$@" || status=$?
else
    "$app" "$@" || status=$?
fi
exit $status
