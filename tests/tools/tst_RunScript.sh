#!/usr/bin/env bash
# Checks what scripts/run.sh does with a map tile address before it installs anything: with the
# simulators, a CX_MAP_TILE_URL that is not on 127.0.0.1 stops it with a message naming that
# address; on 127.0.0.1, or without the simulators, it goes on to the installation (here a stub
# that notes it was reached and stops the run).
set -u
source_root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/cx-run-script-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

mkdir -p "$work/scripts"
cp "$source_root/scripts/run.sh" "$work/scripts/run.sh"
cat >"$work/scripts/install-deps.sh" <<'STUB'
#!/usr/bin/env bash
touch "$(dirname "$0")/../installing"
exit 3
STUB
chmod +x "$work/scripts/run.sh" "$work/scripts/install-deps.sh"

# run EXPECTED_STATUS ENVIRONMENT...: runs the copy with the environment, no simulator switch
# unless given; leaves its standard error in $work/stderr.
run() {
    local expected=$1
    shift
    rm -f "$work/installing"
    env -u CX_NO_SIMULATORS -u CX_MAP_TILE_URL "$@" "$work/scripts/run.sh" 2>"$work/stderr" >/dev/null
    local status=$?
    [ "$status" -eq "$expected" ] || fail "$* ended with $status, not $expected: $(cat "$work/stderr")"
}

for url in https://tiles.example.org/ http://192.0.2.7:8591/tiles/ http://user@198.51.100.4/ http://localhost:8591/; do
    run 2 CX_MAP_TILE_URL="$url"
    [ ! -e "$work/installing" ] || fail "$url: installed before it was refused"
    address=${url#*://}
    address=${address%%/*}
    address=${address##*@}
    grep -qF "names $address ($url)" "$work/stderr" || fail "$url: the message does not name $address: $(cat "$work/stderr")"
done

for environment in "CX_MAP_TILE_URL=http://127.0.0.1:8591/" "CX_MAP_TILE_URL=http://127.0.0.1/" \
    "CX_NO_SIMULATORS=1 CX_MAP_TILE_URL=https://tiles.example.org/" "CX_NO_SIMULATORS=0"; do
    # shellcheck disable=SC2086
    run 3 $environment
    [ -e "$work/installing" ] || fail "$environment: stopped before the installation: $(cat "$work/stderr")"
done

[ "$failures" -eq 0 ] && echo "PASS" || exit 1
