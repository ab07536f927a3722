#!/usr/bin/env bash
# The folders' includes run one way only: front-ends over operations over the
# link over the image, with Qt only in the window's folders. A new include
# that points upward or sideways fails here, naming the file and the line.
set -uo pipefail
root="${1:?usage: check-layers.sh SOURCE_DIR}"

# files/ (private files and bounded locks) sits at the bottom: the simulated
# pod's store, the tool's log and trace and the window's guard all use it.
# station/ (pods and their backends, gangs, jobs, serial numbers, the record
# store) sits above the operations and below the front-ends: the window, the
# operator's window and the command line all reach their pods through it,
# and the engineer's window asks its pod claims before it opens a pod.
declare -A allowed=(
    [files]="files"
    [status]="status"
    [image]="image status"
    [pod]="pod image status"
    [sim]="sim pod image status files"
    [ops]="ops pod image status"
    [settings]="settings ops pod image status"
    [ui]="ui station settings ops pod image status files"
    [app]="app ui station settings sim ops pod image status files"
    [station]="station sim ops pod image status files"
    [cli]="cli station sim ops pod image status files"
)
qt_folders=" settings ui app "

faults=0
for folder in "${!allowed[@]}"; do
    [[ -d "$root/$folder" ]] || { echo "missing folder: $folder"; faults=$((faults + 1)); continue; }
    while IFS=: read -r file line text; do
        target="${text#*\"}"
        target="${target%%/*}"
        if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
            echo "${file#"$root"/}:$line: $folder/ may not include $target/: $text"
            faults=$((faults + 1))
        fi
    done < <(grep -rnE '^#include "[a-z_]+/' --include='*.h' --include='*.cpp' "$root/$folder")
    if [[ "$qt_folders" != *" $folder "* ]]; then
        while IFS= read -r hit; do
            echo "${hit#"$root"/}: $folder/ is standard library only"
            faults=$((faults + 1))
        done < <(grep -rnE '^#include <Q' --include='*.h' --include='*.cpp' "$root/$folder")
    fi
done

if ((faults > 0)); then
    echo "$faults include(s) against the layering"
    exit 1
fi
echo "includes run downward in ${#allowed[@]} folders"
