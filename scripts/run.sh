#!/usr/bin/env bash
# Installs what is missing, builds an optimised Culvertix and starts it (under Xvfb when
# there is no display). Without a real Wi-Fi layer the program sees the simulated networks
# of scripts/wlan-default-scenario.json; the camera systems behind them are the bundled
# simulators, started here on 127.0.0.1 and stopped when the program ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# With the simulators the map's tiles come from the local tile peer, which serves 127.0.0.1
# only: a tile server anywhere else is named and nothing is installed, built or started.
if [ "${CX_NO_SIMULATORS:-}" != "1" ] && [ -n "${CX_MAP_TILE_URL:-}" ]; then
    tile_address=${CX_MAP_TILE_URL#*://}
    tile_address=${tile_address%%[/?#]*}
    tile_address=${tile_address##*@}
    if [ "${tile_address%:*}" != "127.0.0.1" ]; then
        echo "run.sh: CX_MAP_TILE_URL names ${tile_address:-no address} ($CX_MAP_TILE_URL), but with the simulators" \
            "the map's tiles come from the local tile peer on 127.0.0.1: leave CX_MAP_TILE_URL unset, name" \
            "127.0.0.1, or set CX_NO_SIMULATORS=1 to use that server without the simulators" >&2
        exit 2
    fi
fi

"$root/scripts/install-deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCX_BUILD_PEERS=ON >/dev/null
targets=(Culvertix)
[ "${CX_NO_SIMULATORS:-}" = "1" ] || targets+=(cx_rtsp_peer cx_rvq_link_simulator_peer cx_download_location)
cmake --build "$build" --target "${targets[@]}"

# With the simulators the program sees their simulated networks; without them (CX_NO_SIMULATORS=1,
# on a real tablet) it uses NetworkManager, unless a scenario is named explicitly.
if [ "${CX_NO_SIMULATORS:-}" != "1" ]; then
    export CX_WLAN_SCENARIO="${CX_WLAN_SCENARIO:-$root/scripts/wlan-default-scenario.json}"
fi
logs="$build/simulators"
mkdir -p "$logs"
peers=()
listening=()
cleanup() {
    for pid in "${peers[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# start NAME ADDRESS PORT LOG COMMAND...: starts a peer in the background and notes where it
# must listen, so that a peer that failed (a port in use, a missing plug-in) is named before
# the program starts without it.
start() {
    local name=$1 address=$2 port=$3 log=$4
    shift 4
    "$@" >"$log" 2>&1 &
    peers+=($!)
    listening+=("$address|$port|$log|$!|$name")
}

# Waits (bounded) until every peer started above accepts connections.
check_listening() {
    local failed=0 entry name address port log pid
    for entry in "${listening[@]}"; do
        IFS='|' read -r address port log pid name <<<"$entry"
        if ! python3 - "$address" "$port" "$pid" <<'PY'
import os, socket, sys, time
address, port, pid = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
deadline = time.monotonic() + 60
while time.monotonic() < deadline:
    try:
        os.kill(pid, 0)
    except OSError:
        sys.exit(1)
    try:
        socket.create_connection((address, port), timeout=1).close()
        sys.exit(0)
    except OSError:
        time.sleep(0.2)
sys.exit(1)
PY
        then
            echo "run.sh: the $name did not start listening on $address:$port; see $log" >&2
            failed=1
        fi
    done
    return $failed
}

if [ "${CX_NO_SIMULATORS:-}" != "1" ]; then
    # The command link's port is fixed, so each binary-link system has a loopback address of
    # its own (as the scenario says), with its video server beside it. Every RTSP peer serves
    # the paths and credentials of all system types; the one on 127.0.0.1 also stands in for
    # the Hoselux and Pelkom video.
    # The encoder boards sit beside their systems: the ZPX's web board and the Gullyrover's
    # Brennic board. The video of those two systems follows the board's mode.
    start "ZPX encoder board" 127.0.0.1 8680 "$logs/zpx-board.log" \
        python3 "$root/tests/peers/encoder-boards/zpx_board_sim.py" --address 127.0.0.1 --port 8680 \
        --mode-file "$logs/board-127.0.0.1.txt"
    start "Brennic encoder board" 127.0.0.3 5002 "$logs/brennic-board.log" \
        python3 "$root/tests/peers/encoder-boards/brennic_board_sim.py" --address 127.0.0.3 --port 5002 \
        --mode-file "$logs/board-127.0.0.3.txt"
    for system in "127.0.0.1 ZPX_1.0 V01" "127.0.0.2 ZPH_4.0 V01" "127.0.0.3 GLYRV_1.0 V01"; do
        read -r address hardware_id <<<"$system"
        start "RTSP video server" "$address" 8554 "$logs/rtsp-$address.log" \
            "$build/bin/cx_rtsp_peer" --address "$address" --port 8554 --width 1280 --height 720 --fps 30 \
            --mode-file "$logs/board-$address.txt"
        start "$hardware_id link simulator" "$address" 5000 "$logs/rvq-link-$address.log" \
            "$build/bin/cx_rvq_link_simulator" --address "$address" --port 5000 --hardware-id "$hardware_id"
    done
    # The Hoselux camera keeps real photos and videos (made at its start with GStreamer). A
    # real camera answers on HTTP's own port; the simulator's port is this run's setting.
    export CX_HOSELUX_HTTP_PORT="${CX_HOSELUX_HTTP_PORT:-8580}"
    start "Hoselux camera simulator" 127.0.0.1 "$CX_HOSELUX_HTTP_PORT" "$logs/camera.log" \
        python3 "$root/tests/peers/camera-simulator/camera_sim.py" --port "$CX_HOSELUX_HTTP_PORT" \
        --media "$logs/camera-media"

    # The web service with a demo account (user "demo", password "demo") and two web
    # projects, made afresh in the logs folder at every start. The program uses it for this
    # run only.
    rm -rf "$logs/webservice"
    start "web-service simulator" 127.0.0.1 8600 "$logs/webservice.log" \
        python3 "$root/tests/peers/webservice/webservice_sim.py" --port 8600 --demo "$logs/webservice"
    export CX_WEB_ROOT_URL="${CX_WEB_ROOT_URL:-http://127.0.0.1:8600/}"

    # The update server offers a version newer than this build, so that the check, the
    # download and the install offer can be seen. Its "installer" is a text file; the program
    # stores it in the folder its update downloads into (Qt's download location, asked of Qt
    # itself), under a name that nothing there has yet, never over a file of the user's.
    built=$(sed -n 's/^project(Culvertix VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
    offered="${CX_UPDATE_VERSION:-$(echo "$built" | awk -F. '{ printf "%d.%d.0", $1, $2 + 1 }')}"
    downloads=$("$build/bin/cx_download_location") || {
        echo "run.sh: Qt names no download folder for the demo update" >&2
        exit 1
    }
    # shellcheck source=scripts/demo-update-name.sh
    . "$root/scripts/demo-update-name.sh"
    installer=$(demo_installer_name "$downloads" "$offered")
    printf 'Culvertix %s: the demo update of scripts/run.sh.\nIt installs nothing and replaces nothing.\n' \
        "$offered" >"$logs/demo-update.txt"
    start "update server" 127.0.0.1 8590 "$logs/update.log" \
        python3 "$root/tests/peers/update-server/update_server.py" --port 8590 --version "$offered" \
        --file "setup/$installer" --installer "$logs/demo-update.txt"
    export CX_UPDATE_BASE_URL="${CX_UPDATE_BASE_URL:-http://127.0.0.1:8590}"
fi

if [ "${CX_NO_SIMULATORS:-}" != "1" ]; then
    # The manhole map takes its tiles from the local tile peer, never from the internet; its
    # address is kept in scripts/map-tiles.env.
    export CX_MAP_TILE_URL="${CX_MAP_TILE_URL:-$(sed -n 's/^CX_MAP_TILE_URL=//p' "$root/scripts/map-tiles.env")}"
    tile_port=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.urlsplit(sys.argv[1]).port or 80)' "$CX_MAP_TILE_URL")
    start "map tile peer" 127.0.0.1 "$tile_port" "$logs/tiles.log" \
        python3 "$root/tests/peers/tile-server/tile_peer.py" --url "$CX_MAP_TILE_URL" --log "$logs/tiles.jsonl"
fi

check_listening || exit 1

app="$build/bin/Culvertix"
status=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1920x1200x24" "$app" "$@" || status=$?
else
    "$app" "$@" || status=$?
fi
exit $status
