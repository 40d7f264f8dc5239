# shellcheck shell=bash
# Sourced by the run command (and its test): the name of the demo update's "installer".

# demo_installer_name FOLDER VERSION: prints a name for the demo update that nothing in FOLDER
# has yet (not a file, a folder or a link, even one to nothing), so that the program's update
# download never replaces a file of the user's.
demo_installer_name() {
    local folder=$1 offered=$2 n=1
    local name="Culvertix-$offered-demo-update.txt"
    while [ -e "$folder/$name" ] || [ -L "$folder/$name" ]; do
        n=$((n + 1))
        name="Culvertix-$offered-demo-update-$n.txt"
    done
    printf '%s\n' "$name"
}
