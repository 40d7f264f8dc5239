#!/usr/bin/env bash
# The run command's demo update is offered under a name that nothing has yet in the folder
# where the program's update stores its downloads: Qt's download location, which is not the
# home folder when the user has no folder settings, and follows them when there are some.
#   tst_DemoUpdateName.sh <scripts/demo-update-name.sh> <cx_download_location>
set -u
# shellcheck source=../../scripts/demo-update-name.sh
. "$1"
helper=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/cx-demo-update.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: got '$2', expected '$3'"
        failures=$((failures + 1))
    fi
}

export HOME="$work/home"
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME"

# No user-dirs.dirs: the update stores into ~/Downloads, where the user's own file of the
# name, a file of the next name in the home folder and a link to nothing all keep theirs.
folder=$("$helper")
expect "download folder without folder settings" "$folder" "$HOME/Downloads"
mkdir -p "$folder"
echo "mine" >"$folder/Culvertix-1.8.0-demo-update.txt"
echo "home" >"$HOME/Culvertix-1.8.0-demo-update-2.txt"
expect "first free name" "$(demo_installer_name "$folder" 1.8.0)" "Culvertix-1.8.0-demo-update-2.txt"
ln -s "$work/nothing" "$folder/Culvertix-1.8.0-demo-update-2.txt"
expect "a link to nothing is a taken name" "$(demo_installer_name "$folder" 1.8.0)" "Culvertix-1.8.0-demo-update-3.txt"
expect "the user's file" "$(cat "$folder/Culvertix-1.8.0-demo-update.txt")" "mine"

# The user's folder settings name another download folder.
echo 'XDG_DOWNLOAD_DIR="$HOME/Fetched"' >"$XDG_CONFIG_HOME/user-dirs.dirs"
mkdir -p "$HOME/Fetched"
expect "download folder from the folder settings" "$("$helper")" "$HOME/Fetched"
expect "name in an empty folder" "$(demo_installer_name "$HOME/Fetched" 1.8.0)" "Culvertix-1.8.0-demo-update.txt"

[ "$failures" -eq 0 ] && echo "PASS: tst_DemoUpdateName"
exit "$failures"
