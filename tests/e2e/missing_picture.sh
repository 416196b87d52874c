#!/usr/bin/env bash
# Started without Images/7.bmp, the program shows an error box naming the file, never shows
# the board, and exits non-zero once the box is closed.
source "$(dirname "$0")/lib.sh"

work="$(mktemp -d)"
cp -r "$SOURCE_DIR/Images" "$work/"
rm "$work/Images/7.bmp"
start_xvfb
start_app "$work"
box="$(wait_window '^Duplora$' 20)" || fail "no error box"
sleep 0.5
read -r _ _ w h < <(geometry "$box")
[ "$w" != 350 ] || fail "the main window was shown"
read -r bx by _ _ < <(geometry "$box")
names_the_file() {
    shot "missing-picture"
    text="$(ocr missing-picture "$bx" "$by" "$w" "$h")"
    echo "$text" | grep -q '7\.bmp'
}
eventually 10 names_the_file || fail "the box says '$text'"
# OK sits at the bottom right of the box.
xdotool mousemove $((bx + w - 50)) $((by + h - 22)) click 1
wait_exit
code=$EXIT_CODE
rm -rf "$work"
[ "$code" != 0 ] || fail "a failed start-up exited with 0"
echo "PASS: error box, exit code $code"
